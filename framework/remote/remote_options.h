#pragma once
// Settings of the remote transport's two ends: credentials, keepalive, deadlines and the limits
// of what a peer may send. The defaults suit a provider and its clients on one host.

#include <chrono>
#include <cstddef>
#include <string>

#include "framework/remote/value_codec.h"

namespace Jorv {
namespace Remote {

// How each end pings an idle connection, and how long it waits for the answer before it takes
// the peer for dead and fails the calls on it.
struct Keepalive {
  std::chrono::milliseconds interval{20000};
  std::chrono::milliseconds timeout{10000};
};

struct ClientOptions {
  // PEM file of the certificate authorities the server's certificate must chain to; empty for
  // a connection without TLS.
  std::string tlsCaFile;
  // PEM files of a client certificate and its key, for servers that verify clients; both or
  // neither, and only with tlsCaFile.
  std::string tlsCertFile;
  std::string tlsKeyFile;
  // A file whose content (surrounding white space removed) is sent as the bearer token of
  // every call; empty for none.
  std::string tokenFile;
  // The longest a call may take from start to its last report; zero for no limit. A stream
  // counts as one call.
  std::chrono::milliseconds deadline{0};
  Keepalive keepalive;
  // The largest message either way; a value must fit in one.
  std::size_t maxMessageBytes = std::size_t{64} << 20;
  DecodeLimits limits;
};

struct ServerOptions {
  // host:port to listen on; port 0 picks a free port (see RemoteServer::Address).
  std::string listen = "127.0.0.1:0";
  // PEM files of the server's certificate chain and key; both or neither. Without them the
  // server speaks without TLS, which it does only on a loopback address unless allowInsecure.
  std::string tlsCertFile;
  std::string tlsKeyFile;
  // PEM file of the certificate authorities that client certificates must chain to; when set,
  // every client must present a valid certificate.
  std::string tlsClientCaFile;
  // A file whose content (surrounding white space removed) every call must carry as its bearer
  // token; empty for none.
  std::string tokenFile;
  // Listen without TLS on an address that is not a loopback address.
  bool allowInsecure = false;
  Keepalive keepalive;
  std::size_t maxMessageBytes = std::size_t{64} << 20;
  DecodeLimits limits;
};

}  // namespace Remote
}  // namespace Jorv
