#pragma once
// QueriesSvc::CreateResult: the output of Queries create, the identifier given to the new query
// and the provider's messages about its creation.

#include <list>
#include <memory>
#include <string>

#include "framework/data/native.h"
#include "framework/data/std_records.h"
#include "framework/data/struct_metadata.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace QueriesSvc {

struct CreateResult : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.queries.create_result";
  static constexpr const char* kStructInfoName = "com.zentak.stats.provider.Queries.CreateResult";

  std::string query;  // identifies a "StatsQuery"
  std::list<std::shared_ptr<const Jorv::Std::LocalizableMessage>> messages;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("query", &CreateResult::query, ::Jorv::Metadata::Identifier{"StatsQuery"});
      f.Field("messages", &CreateResult::messages);
    }
  };
};

}  // namespace QueriesSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
