#include "framework/remote/remote_server.h"

#include <chrono>
#include <utility>
#include <vector>

#include "framework/remote/detail/connection.h"
#include "framework/remote/detail/server_call.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Remote {
namespace {

// Makes one reactor per call.
class TransportService final : public jorv::remote::Transport::CallbackService {
 public:
  explicit TransportService(std::shared_ptr<RemoteServer::Shared> shared)
      : shared_(std::move(shared)) {}

  grpc::ServerBidiReactor<jorv::remote::ClientFrame, jorv::remote::Report>* Call(
      grpc::CallbackServerContext* context) override {
    auto call = std::make_shared<detail::ServerCall>(context, shared_);
    call->Begin();
    return call.get();
  }

 private:
  std::shared_ptr<RemoteServer::Shared> shared_;
};

// The address with the port that was bound in place of the one asked for.
std::string BoundAddress(const std::string& listen, int port) {
  if (listen.rfind("unix", 0) == 0) return listen;
  return listen.substr(0, listen.rfind(':')) + ":" + std::to_string(port);
}

// How long open calls get to see their end before gRPC cancels them.
constexpr std::chrono::seconds kShutdownGrace{2};

}  // namespace

struct RemoteServer::Impl {
  explicit Impl(std::shared_ptr<Shared> s) : shared(s), service(std::move(s)) {}

  std::shared_ptr<Shared> shared;
  TransportService service;
  std::unique_ptr<grpc::Server> server;
  std::string address;
};

RemoteServer::RemoteServer() = default;

RemoteServer::~RemoteServer() { Shutdown(); }

std::unique_ptr<RemoteServer> RemoteServer::Start(std::shared_ptr<Core::ApiProvider> router,
                                                  const ServerOptions& options,
                                                  std::list<BaseMessage>& messages) {
  auto shared = std::make_shared<Shared>();
  const auto credentials = detail::ServerCredentials(options, messages);
  if (!credentials || !detail::ReadToken(options.tokenFile, shared->token, messages)) {
    return nullptr;
  }
  shared->router = std::move(router);
  shared->limits = options.limits;

  std::unique_ptr<RemoteServer> server(new RemoteServer());
  server->impl_ = std::make_unique<Impl>(std::move(shared));
  grpc::ServerBuilder builder;
  int port = 0;
  builder.AddListeningPort(options.listen, credentials, &port);
  builder.RegisterService(&server->impl_->service);
  detail::ApplyServerArguments(options, builder);
  server->impl_->server = builder.BuildAndStart();
  if (!server->impl_->server || port == 0) {
    messages.push_back(detail::CatalogMessage(MessageIds::kRemoteListenFailed, options.listen));
    return nullptr;
  }
  server->impl_->address = BoundAddress(options.listen, port);
  return server;
}

const std::string& RemoteServer::Address() const { return impl_->address; }

void RemoteServer::Shutdown() {
  if (!impl_ || !impl_->server) return;
  Shared& shared = *impl_->shared;
  std::vector<std::shared_ptr<detail::ServerCall>> open;
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.shuttingDown = true;
    open.assign(shared.open.begin(), shared.open.end());
  }
  const grpc::Status status(grpc::StatusCode::UNAVAILABLE, "the server is shutting down");
  for (const auto& call : open) call->Abort(status);
  open.clear();
  impl_->server->Shutdown(std::chrono::system_clock::now() + kShutdownGrace);
  {
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.idle.wait(lock, [&shared] { return shared.open.empty(); });
  }
  impl_->server->Wait();
  impl_->server.reset();
}

}  // namespace Remote
}  // namespace Jorv
