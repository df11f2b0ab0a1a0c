#pragma once
// Jorv::Remote::RemoteServer: serves the interfaces published on an API provider (typically an
// InProcessApiProvider) to RemoteApiProvider clients in other processes or on other hosts,
// over gRPC's callback API: no thread per call.
//
//   auto router = std::make_shared<Jorv::Core::InProcessApiProvider>();
//   router->Publish(QueriesSvc::AsyncServiceBinder::BindImplementation(implementation));
//   std::list<Jorv::BaseMessage> problems;
//   auto server = Jorv::Remote::RemoteServer::Start(router, options, problems);
//   ... server->Address() ... server->Shutdown();

#include <list>
#include <memory>
#include <string>

#include "framework/core/api_provider.h"
#include "framework/remote/remote_options.h"
#include "framework/text/message.h"

namespace Jorv {
namespace Remote {

class RemoteServer {
 public:
  // Listens on `options.listen` and hands every call that arrives to `router`, with an
  // activation carrying the caller's locale spec and context maps. Null, with messages, when a
  // file cannot be read, the TLS settings are incomplete, the address is not a loopback address
  // and neither TLS nor allowInsecure is set, or the address cannot be bound.
  //
  // A call whose bearer token is missing or wrong (when `options.tokenFile` names one) ends
  // with the transport status UNAUTHENTICATED before it reaches `router`; a start whose input
  // does not decode is answered with "com.zentak.jorv.std.errors.invalid_argument"; a frame
  // that breaks the protocol ends the call with a transport error. When the client stops a
  // stream, disconnects, or its deadline passes, the provider's continuation is called with
  // null; a report the provider makes after that is dropped, and its continuation, if any,
  // called with null.
  static std::unique_ptr<RemoteServer> Start(std::shared_ptr<Core::ApiProvider> router,
                                             const ServerOptions& options,
                                             std::list<BaseMessage>& messages);

  // Shuts down.
  ~RemoteServer();
  RemoteServer(const RemoteServer&) = delete;
  RemoteServer& operator=(const RemoteServer&) = delete;

  // The address it listens on, with the port it was given ("127.0.0.1:40123").
  const std::string& Address() const;

  // Stops accepting calls and ends the open ones: a held stream's continuation is called with
  // null, the client receives the transport status UNAVAILABLE. Returns when gRPC is done with
  // every call; the provider may still hold callbacks, whose reports are dropped. Idempotent;
  // must not be called from inside a report or continuation of a call of this server.
  void Shutdown();

  struct Shared;

 private:
  RemoteServer();

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace Remote
}  // namespace Jorv
