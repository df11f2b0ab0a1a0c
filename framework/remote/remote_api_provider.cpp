#include "framework/remote/remote_api_provider.h"

#include <utility>

#include "framework/remote/detail/client_call.h"
#include "framework/remote/detail/connection.h"

namespace Jorv {
namespace Remote {

std::shared_ptr<RemoteApiProvider> RemoteApiProvider::Create(const std::string& target,
                                                             const ClientOptions& options,
                                                             std::list<BaseMessage>& messages) {
  auto credentials = detail::ChannelCredentials(options, messages);
  // The last call to finish may let go of the connection inside one of its reactions.
  std::shared_ptr<Connection> connection(new Connection(),
                                         detail::DeleteOutsideReactions<Connection>);
  if (!credentials || !detail::ReadToken(options.tokenFile, connection->token, messages)) {
    return nullptr;
  }
  connection->target = target;
  connection->options = options;
  connection->channel =
      grpc::CreateCustomChannel(target, credentials, detail::ChannelArguments(options));
  connection->stub = jorv::remote::Transport::NewStub(connection->channel);
  return std::shared_ptr<RemoteApiProvider>(new RemoteApiProvider(std::move(connection)));
}

RemoteApiProvider::RemoteApiProvider(std::shared_ptr<const Connection> connection)
    : connection_(std::move(connection)) {}

RemoteApiProvider::~RemoteApiProvider() = default;

void RemoteApiProvider::InvokeAsync(const std::shared_ptr<const Core::MethodIdentifier>& method,
                                    const Data::DataValuePtr& input,
                                    const std::shared_ptr<Core::AsyncActivation>& activation,
                                    const Core::AsyncApiResultCb& callback) {
  std::make_shared<detail::ClientCall>(connection_, callback)->Start(method, input, activation);
}

const std::string& RemoteApiProvider::GetTarget() const { return connection_->target; }

}  // namespace Remote
}  // namespace Jorv
