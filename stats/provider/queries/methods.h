#pragma once
// The methods of the Queries service: each method's wire name, input record, native output and
// declared errors. Definitions of inputs, outputs and errors derive from these on request.

#include <list>
#include <memory>
#include <string>

#include "framework/core/standard_names.h"
#include "framework/data/method_descriptor.h"
#include "framework/data/std_records.h"
#include "stats/provider/method_inputs.h"
#include "stats/provider/queries/create_result.h"
#include "stats/provider/queries/create_spec.h"
#include "stats/provider/queries/info.h"
#include "stats/provider/queries/update_spec.h"
#include "stats/provider/result.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace QueriesSvc {

class AsyncServiceInterface;

namespace Errors = Jorv::Std::Errors;

struct CreateMethod : ::Jorv::Data::MethodDescriptor<
                          CreateMethod, AsyncServiceInterface, std::shared_ptr<const CreateResult>,
                          ::Jorv::Data::StandardErrors<Errors::NotFound, Errors::InvalidArgument,
                                                       Errors::UnableToAllocateResource>> {
  static std::string methodName() { return "create"; }
  struct Input {
    static constexpr const char* kTypeName = ::Jorv::Std::kOperationInputName;
    std::shared_ptr<const CreateSpec> spec;
    struct AdapterHelper {
      template <class Fields>
      static constexpr void AddFields(Fields& f) {
        f.Field("spec", &Input::spec);
      }
    };
  };
};

struct ListMethod
    : ::Jorv::Data::MethodDescriptor<ListMethod, AsyncServiceInterface, std::list<std::string>,
                                     ::Jorv::Data::StandardErrors<>> {
  static std::string methodName() { return "list"; }
  using Input = ::Jorv::OperationInput;
};

struct GetMethod
    : ::Jorv::Data::MethodDescriptor<GetMethod, AsyncServiceInterface, std::shared_ptr<const Info>,
                                     ::Jorv::Data::StandardErrors<Errors::NotFound>> {
  static std::string methodName() { return "get"; }
  using Input = QueryInput;
};

struct UpdateMethod : ::Jorv::Data::MethodDescriptor<
                          UpdateMethod, AsyncServiceInterface, ::Jorv::Void,
                          ::Jorv::Data::StandardErrors<Errors::NotFound, Errors::InvalidArgument,
                                                       Errors::ResourceBusy>> {
  static std::string methodName() { return "update"; }
  using Input = QuerySpecInput<UpdateSpec>;
};

struct DeleteMethod
    : ::Jorv::Data::MethodDescriptor<DeleteMethod, AsyncServiceInterface, ::Jorv::Void,
                                     ::Jorv::Data::StandardErrors<Errors::NotFound>> {
  static std::string methodName() { return "delete"; }
  using Input = QueryInput;
};

struct ExecuteMethod : ::Jorv::Data::MethodDescriptor<
                           ExecuteMethod, AsyncServiceInterface, std::shared_ptr<const Result>,
                           ::Jorv::Data::StandardErrors<Errors::NotFound, Errors::ResourceBusy>> {
  static std::string methodName() { return "execute"; }
  using Input = QueryInput;
};

}  // namespace QueriesSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
