#pragma once
// What both ends of the remote transport need to set up a connection: credentials from PEM
// and token files, gRPC channel and server arguments, the check that keeps a server without
// TLS on loopback, and the bearer-token comparison.

#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include <grpcpp/grpcpp.h>

#include "framework/remote/remote_options.h"
#include "framework/text/message.h"

namespace Jorv {
namespace Remote {
namespace detail {

// The metadata key that carries the bearer token, and the prefix of its value.
inline constexpr char kAuthorization[] = "authorization";
inline constexpr char kBearer[] = "Bearer ";

// The content of the file `path`; false with "jorv.remote.file.unreadable" when it cannot be
// read.
bool ReadFile(const std::string& path, std::string& out, std::list<BaseMessage>& messages);

// The token of a token file: its content without surrounding white space. An empty `path`
// gives an empty token.
bool ReadToken(const std::string& path, std::string& token, std::list<BaseMessage>& messages);

// Whether `a` and `b` are equal, in a time that depends on their lengths only.
bool ConstantTimeEquals(std::string_view a, std::string_view b);

// Whether the host of `address` ("host:port", "[v6]:port" or "unix:path") is a loopback
// address or a local socket.
bool IsLocalAddress(const std::string& address);

// Channel credentials for `options`: TLS with the CA (and a client certificate) when given,
// none otherwise. Null with messages when a file cannot be read or the settings are incomplete.
std::shared_ptr<grpc::ChannelCredentials> ChannelCredentials(const ClientOptions& options,
                                                             std::list<BaseMessage>& messages);

// Server credentials for `options`; null with messages when a file cannot be read, the TLS
// settings are incomplete, or the address is not local and neither TLS nor insecure is chosen.
std::shared_ptr<grpc::ServerCredentials> ServerCredentials(const ServerOptions& options,
                                                           std::list<BaseMessage>& messages);

// Keepalive and message-size arguments of a client channel.
grpc::ChannelArguments ChannelArguments(const ClientOptions& options);

// The same for a server.
void ApplyServerArguments(const ServerOptions& options, grpc::ServerBuilder& builder);

// Marks the calling thread, while it lives, as one that runs a reaction of the transport.
// gRPC must not see a channel destroyed on such a thread (it still uses the channel's
// completion queue when the reaction returns).
class ReactionScope {
 public:
  ReactionScope();
  ~ReactionScope();
  ReactionScope(const ReactionScope&) = delete;
  ReactionScope& operator=(const ReactionScope&) = delete;
  // Whether the calling thread runs a reaction.
  static bool Active();
};

// Deletes `object` now, or on a thread of its own when called from inside a reaction.
template <class T>
void DeleteOutsideReactions(T* object) {
  if (!ReactionScope::Active()) {
    delete object;
    return;
  }
  std::thread([object] { delete object; }).detach();
}

// A catalog message with string arguments.
template <class... Args>
BaseMessage CatalogMessage(const char* id, Args... args) {
  return MakeMessage(id, Message<CoreTag>::DefaultMessageForId(id), std::string(args)...);
}

}  // namespace detail
}  // namespace Remote
}  // namespace Jorv
