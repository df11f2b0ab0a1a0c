#pragma once
// The methods of the Stream service: each method's wire name, input record, native output and
// declared errors. `attach` is the one streaming method: its output is one Result per report.

#include <memory>
#include <string>

#include "framework/core/standard_names.h"
#include "framework/data/method_descriptor.h"
#include "framework/data/std_records.h"
#include "stats/provider/method_inputs.h"
#include "stats/provider/result.h"
#include "stats/provider/stream/attach_spec.h"
#include "stats/provider/stream/create_spec.h"
#include "stats/provider/stream/info.h"
#include "stats/provider/stream/update_spec.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace StreamSvc {

class AsyncServiceInterface;

namespace Errors = Jorv::Std::Errors;

struct CreateMethod
    : ::Jorv::Data::MethodDescriptor<
          CreateMethod, AsyncServiceInterface, ::Jorv::Void,
          ::Jorv::Data::StandardErrors<Errors::NotFound, Errors::UnableToAllocateResource,
                                       Errors::AlreadyInDesiredState>> {
  static std::string methodName() { return "create"; }
  using Input = QuerySpecInput<CreateSpec>;
};

struct GetMethod
    : ::Jorv::Data::MethodDescriptor<GetMethod, AsyncServiceInterface, std::shared_ptr<const Info>,
                                     ::Jorv::Data::StandardErrors<Errors::NotFound>> {
  static std::string methodName() { return "get"; }
  using Input = QueryInput;
};

struct UpdateMethod
    : ::Jorv::Data::MethodDescriptor<
          UpdateMethod, AsyncServiceInterface, ::Jorv::Void,
          ::Jorv::Data::StandardErrors<Errors::NotFound, Errors::UnableToAllocateResource,
                                       Errors::NotAllowedInCurrentState>> {
  static std::string methodName() { return "update"; }
  using Input = QuerySpecInput<UpdateSpec>;
};

struct AttachMethod
    : ::Jorv::Data::StreamingMethodDescriptor<
          AttachMethod, AsyncServiceInterface, std::shared_ptr<const Result>,
          ::Jorv::Data::StandardErrors<Errors::NotFound, Errors::Unsupported, Errors::ResourceBusy,
                                       Errors::Canceled, Errors::NotAllowedInCurrentState>> {
  static std::string methodName() { return "attach"; }
  using Input = QuerySpecInput<AttachSpec>;
};

struct DeleteMethod
    : ::Jorv::Data::MethodDescriptor<
          DeleteMethod, AsyncServiceInterface, ::Jorv::Void,
          ::Jorv::Data::StandardErrors<Errors::NotFound, Errors::NotAllowedInCurrentState>> {
  static std::string methodName() { return "delete"; }
  using Input = QueryInput;
};

}  // namespace StreamSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
