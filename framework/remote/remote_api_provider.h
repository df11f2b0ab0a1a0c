#pragma once
// Jorv::Remote::RemoteApiProvider: an API provider whose calls go to a RemoteServer in another
// process or on another host, over gRPC. Stubs work against it unchanged.
//
//   std::list<Jorv::BaseMessage> problems;
//   auto remote = Jorv::Remote::RemoteApiProvider::Create("127.0.0.1:7411", {}, problems);
//   QueriesSvc::AsyncServiceStub queries(std::make_shared<Jorv::Stub::AsyncApiStub>(remote));

#include <list>
#include <memory>
#include <string>

#include "framework/core/api_provider.h"
#include "framework/remote/remote_options.h"
#include "framework/text/message.h"

namespace Jorv {
namespace Remote {

class RemoteApiProvider : public Core::ApiProvider {
 public:
  // A provider calling the server at `target` ("host:port"). It connects when the first call
  // needs it and again after a connection is lost. Null, with messages, when a file named by
  // `options` cannot be read or the TLS settings are incomplete.
  static std::shared_ptr<RemoteApiProvider> Create(const std::string& target,
                                                   const ClientOptions& options,
                                                   std::list<BaseMessage>& messages);

  // Calls in flight go on to their end; their callbacks keep what they need alive.
  ~RemoteApiProvider() override;

  // Sends the call: its method, input, the activation's locale spec and context maps. Every
  // report of the server reaches `callback` (or the callback handed to a continuation) in
  // order and one at a time, on a thread of the transport, which a callback should not block
  // for long. Each callback receives exactly one final report: the server's, or, when the
  // server cannot be reached, goes away, refuses the call or the deadline passes,
  //   "com.zentak.jorv.std.errors.service_unavailable" ("jorv.remote.unavailable": target,
  //   transport status), or "com.zentak.jorv.std.errors.unauthenticated"
  //   ("jorv.remote.unauthenticated") when the server refused the call's token or certificate;
  // a report whose values do not decode ends the call with
  // "com.zentak.jorv.std.errors.invalid_argument" and the decoding messages.
  // A report may offer a continuation: calling it with a callback asks the server for the next
  // report, with null stops the stream at the provider; dropping every copy of it unused stops
  // the stream too. A continuation serves once: a callback handed to it again receives the end
  // of the stream (a completed result without values) at once. An exception thrown by a
  // callback is dropped; the call goes on.
  void InvokeAsync(const std::shared_ptr<const Core::MethodIdentifier>& method,
                   const Data::DataValuePtr& input,
                   const std::shared_ptr<Core::AsyncActivation>& activation,
                   const Core::AsyncApiResultCb& callback) override;

  const std::string& GetTarget() const;

  struct Connection;

 private:
  explicit RemoteApiProvider(std::shared_ptr<const Connection> connection);

  std::shared_ptr<const Connection> connection_;
};

}  // namespace Remote
}  // namespace Jorv
