#pragma once
// Jorv::Provider::ApiMethodHelper: the framework's validation services for a provider method.
// They judge an input, an output or an error against the method's definitions and give the
// method result to deliver; a provider delivers exactly that result and adds nothing to it.

#include <list>
#include <memory>
#include <string>

#include "framework/core/compound_value.h"
#include "framework/core/data_definition.h"
#include "framework/core/method_result.h"

namespace Jorv {
namespace Provider {

struct ApiMethodHelper {
  // Checks `input` against `inputDefinition` (see Jorv::Data::Validate). Returns true when it
  // conforms, leaving `result` alone. Otherwise returns false and sets `result` to a completed
  // result without output whose error is "com.zentak.jorv.std.errors.invalid_argument" with
  // the messages "jorv.provider.input.invalid" (method name, path) and the validation failure.
  static bool ValidateInput(const std::string& methodName,
                            const Data::DataDefinitionPtr& inputDefinition,
                            const Data::DataValuePtr& input,
                            std::shared_ptr<const Core::MethodResult>& result);

  // The completed result to deliver for `output`: the output itself (the same pointer) without
  // error when it conforms to `outputDefinition`; otherwise no output and the error
  // "com.zentak.jorv.std.errors.internal_server_error" with the messages
  // "jorv.provider.output.invalid" (method name, path) and the validation failure.
  static std::shared_ptr<const Core::MethodResult> ValidateOutput(
      const std::string& methodName, const Data::DataDefinitionPtr& outputDefinition,
      const Data::DataValuePtr& output);

  // The completed result, without output, to deliver for `error`:
  // - declared (a structure definition in `errorDefinitions`, directly or through a structure
  //   reference, has the error's name): the error itself (the same pointer) when it conforms to
  //   that definition; otherwise "com.zentak.jorv.std.errors.internal_server_error" with the
  //   messages "jorv.provider.error.invalid" (method name, error name, path) and the failure;
  // - not declared but implicit (IsImplicitError): the error itself, unchecked;
  // - otherwise "com.zentak.jorv.std.errors.internal_server_error" with the message
  //   "jorv.provider.error.undeclared" (method name, error name);
  // - null: "com.zentak.jorv.std.errors.internal_server_error" with the message
  //   "jorv.provider.error.missing" (method name).
  static std::shared_ptr<const Core::MethodResult> ValidateError(
      const std::string& methodName, const std::list<Data::DataDefinitionPtr>& errorDefinitions,
      const std::shared_ptr<const Data::ErrorValue>& error);

  // Whether every method may report the error `name` without declaring it: the framework's own
  // errors "com.zentak.jorv.std.errors.invalid_argument" (a call the framework or the binding
  // rejects) and "com.zentak.jorv.std.errors.internal_server_error" (a provider fault).
  static bool IsImplicitError(const std::string& name);
};

}  // namespace Provider
}  // namespace Jorv
