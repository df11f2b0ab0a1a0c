#pragma once
// The method of the Counters service: `list`, its input record, native output and declared
// errors.

#include <list>
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "framework/core/standard_names.h"
#include "framework/data/method_descriptor.h"
#include "stats/provider/counters/filter.h"
#include "stats/provider/counters/list_result.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

class AsyncServiceInterface;

struct ListMethod : ::Jorv::Data::MethodDescriptor<ListMethod, AsyncServiceInterface,
                                                   std::shared_ptr<const ListResult>,
                                                   ::Jorv::Data::StandardErrors<>> {
  static std::string methodName() { return "list"; }
  struct Input {
    static constexpr const char* kTypeName = ::Jorv::Std::kOperationInputName;
    boost::optional<std::list<std::shared_ptr<const Filter>>> filter;
    boost::optional<long long> since;
    struct AdapterHelper {
      template <class Fields>
      static constexpr void AddFields(Fields& f) {
        f.Field("filter", &Input::filter);
        f.Field("since", &Input::since);
      }
    };
  };
};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
