#pragma once
// Between the runtime's call objects and the wire messages of remote_call.proto: the start of
// a call (method, input, activation) and its reports (method result, progress, continuation).

#include <list>
#include <memory>

#include "framework/core/activation.h"
#include "framework/core/identifiers.h"
#include "framework/core/method_result.h"
#include "framework/core/progress.h"
#include "framework/remote/value_codec.h"
#include "remote_call.pb.h"

namespace Jorv {
namespace Remote {
namespace detail {

// The start of one call. A null method travels as empty names, a null activation as an empty
// one; the localizer stays behind (the server renders with its own).
void WriteStart(const std::shared_ptr<const Core::MethodIdentifier>& method,
                const Data::DataValuePtr& input,
                const std::shared_ptr<Core::AsyncActivation>& activation, jorv::remote::Start& out);

// What a server reads from a start: the method, the input and a new activation with the
// caller's locale spec and context maps. False with messages when the input does not decode.
struct StartedCall {
  std::shared_ptr<const Core::MethodIdentifier> method;
  Data::DataValuePtr input;
  std::shared_ptr<Core::AsyncActivation> activation;
};
bool ReadStart(const jorv::remote::Start& in, const DecodeLimits& limits, StartedCall& out,
               std::list<BaseMessage>& messages);

// One report: a null `result` is a progress report.
void WriteReport(const std::shared_ptr<const Core::MethodResult>& result, const Progress& progress,
                 bool continues, jorv::remote::Report& out);

// What a client reads from a report. False with messages when a value does not decode or the
// error is not an error value.
struct ReadReport {
  std::shared_ptr<const Core::MethodResult> result;
  Progress progress;
  bool continues = false;
};
bool Read(const jorv::remote::Report& in, const DecodeLimits& limits, ReadReport& out,
          std::list<BaseMessage>& messages);

// A completed method result carrying the error `name` with one message of the catalog.
template <class... Args>
std::shared_ptr<const Core::MethodResult> Failure(const char* name, const char* id, Args... args) {
  return Core::MethodResult::Create(
      nullptr,
      Data::ErrorValue::Create(name, {MakeMessage(id, Message<CoreTag>::DefaultMessageForId(id),
                                                  std::string(std::move(args))...)}));
}

}  // namespace detail
}  // namespace Remote
}  // namespace Jorv
