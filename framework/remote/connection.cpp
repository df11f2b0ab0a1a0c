#include "framework/remote/detail/connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <fstream>
#include <sstream>

#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Remote {
namespace detail {
namespace {

thread_local int tReactions = 0;

int Milliseconds(std::chrono::milliseconds duration) {
  constexpr long long kMax = 0x7fffffff;
  const long long count = duration.count();
  return static_cast<int>(count < 0 ? 0 : count > kMax ? kMax : count);
}

int Bytes(std::size_t size) { return size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size); }

bool ReadOptional(const std::string& path, std::string& out, std::list<BaseMessage>& messages) {
  return path.empty() || ReadFile(path, out, messages);
}

// Both or neither of a certificate and its key.
bool PairComplete(const std::string& cert, const std::string& key,
                  std::list<BaseMessage>& messages) {
  if (cert.empty() == key.empty()) return true;
  messages.push_back(
      CatalogMessage(MessageIds::kRemoteTlsIncomplete, "both a certificate file and its key file"));
  return false;
}

}  // namespace

ReactionScope::ReactionScope() { ++tReactions; }
ReactionScope::~ReactionScope() { --tReactions; }
bool ReactionScope::Active() { return tReactions > 0; }

bool ReadFile(const std::string& path, std::string& out, std::list<BaseMessage>& messages) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  if (in) content << in.rdbuf();
  if (!in || in.bad()) {
    messages.push_back(CatalogMessage(MessageIds::kRemoteFileUnreadable, path));
    return false;
  }
  out = content.str();
  return true;
}

bool ReadToken(const std::string& path, std::string& token, std::list<BaseMessage>& messages) {
  token.clear();
  std::string text;
  if (!ReadOptional(path, text, messages)) return false;
  const char* space = " \t\r\n\f\v";
  const auto first = text.find_first_not_of(space);
  if (first == std::string::npos) return true;
  token = text.substr(first, text.find_last_not_of(space) - first + 1);
  return true;
}

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
  // Every byte of the longer text is looked at, whatever the shorter one holds.
  const std::size_t size = a.size() > b.size() ? a.size() : b.size();
  unsigned difference = a.size() == b.size() ? 0 : 1;
  for (std::size_t i = 0; i < size; ++i) {
    const auto x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0u;
    const auto y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0u;
    difference |= x ^ y;
  }
  return difference == 0;
}

bool IsLocalAddress(const std::string& address) {
  if (address.rfind("unix:", 0) == 0 || address.rfind("unix-abstract:", 0) == 0) return true;
  std::string host;
  if (!address.empty() && address[0] == '[') {
    const auto close = address.find(']');
    if (close == std::string::npos) return false;
    host = address.substr(1, close - 1);
  } else {
    host = address.substr(0, address.rfind(':'));
  }
  if (host == "localhost") return true;
  in_addr v4{};
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
    if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
  }
  return false;
}

std::shared_ptr<grpc::ChannelCredentials> ChannelCredentials(const ClientOptions& options,
                                                             std::list<BaseMessage>& messages) {
  if (!PairComplete(options.tlsCertFile, options.tlsKeyFile, messages)) return nullptr;
  if (options.tlsCaFile.empty()) {
    if (options.tlsCertFile.empty()) return grpc::InsecureChannelCredentials();
    messages.push_back(CatalogMessage(MessageIds::kRemoteTlsIncomplete,
                                      "the certificate authorities' file of the server"));
    return nullptr;
  }
  grpc::SslCredentialsOptions ssl;
  if (!ReadFile(options.tlsCaFile, ssl.pem_root_certs, messages) ||
      !ReadOptional(options.tlsCertFile, ssl.pem_cert_chain, messages) ||
      !ReadOptional(options.tlsKeyFile, ssl.pem_private_key, messages)) {
    return nullptr;
  }
  return grpc::SslCredentials(ssl);
}

std::shared_ptr<grpc::ServerCredentials> ServerCredentials(const ServerOptions& options,
                                                           std::list<BaseMessage>& messages) {
  if (!PairComplete(options.tlsCertFile, options.tlsKeyFile, messages)) return nullptr;
  if (options.tlsCertFile.empty()) {
    if (!options.tlsClientCaFile.empty()) {
      messages.push_back(
          CatalogMessage(MessageIds::kRemoteTlsIncomplete, "a server certificate and key"));
      return nullptr;
    }
    if (!options.allowInsecure && !IsLocalAddress(options.listen)) {
      messages.push_back(CatalogMessage(MessageIds::kRemoteInsecureAddress, options.listen));
      return nullptr;
    }
    return grpc::InsecureServerCredentials();
  }
  grpc::SslServerCredentialsOptions ssl(
      options.tlsClientCaFile.empty() ? GRPC_SSL_DONT_REQUEST_CLIENT_CERTIFICATE
                                      : GRPC_SSL_REQUEST_AND_REQUIRE_CLIENT_CERTIFICATE_AND_VERIFY);
  grpc::SslServerCredentialsOptions::PemKeyCertPair pair;
  if (!ReadFile(options.tlsCertFile, pair.cert_chain, messages) ||
      !ReadFile(options.tlsKeyFile, pair.private_key, messages) ||
      !ReadOptional(options.tlsClientCaFile, ssl.pem_root_certs, messages)) {
    return nullptr;
  }
  ssl.pem_key_cert_pairs.push_back(std::move(pair));
  return grpc::SslServerCredentials(ssl);
}

grpc::ChannelArguments ChannelArguments(const ClientOptions& options) {
  grpc::ChannelArguments args;
  args.SetInt(GRPC_ARG_KEEPALIVE_TIME_MS, Milliseconds(options.keepalive.interval));
  args.SetInt(GRPC_ARG_KEEPALIVE_TIMEOUT_MS, Milliseconds(options.keepalive.timeout));
  args.SetInt(GRPC_ARG_KEEPALIVE_PERMIT_WITHOUT_CALLS, 1);
  args.SetInt(GRPC_ARG_HTTP2_MAX_PINGS_WITHOUT_DATA, 0);
  args.SetMaxReceiveMessageSize(Bytes(options.maxMessageBytes));
  args.SetMaxSendMessageSize(Bytes(options.maxMessageBytes));
  return args;
}

void ApplyServerArguments(const ServerOptions& options, grpc::ServerBuilder& builder) {
  builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_TIME_MS, Milliseconds(options.keepalive.interval));
  builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_TIMEOUT_MS,
                             Milliseconds(options.keepalive.timeout));
  builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_PERMIT_WITHOUT_CALLS, 1);
  builder.AddChannelArgument(GRPC_ARG_HTTP2_MAX_PINGS_WITHOUT_DATA, 0);
  // Clients choose their own keepalive interval; a frequent pinger is not cut off.
  builder.AddChannelArgument(GRPC_ARG_HTTP2_MAX_PING_STRIKES, 0);
  builder.AddChannelArgument(GRPC_ARG_HTTP2_MIN_RECV_PING_INTERVAL_WITHOUT_DATA_MS, 100);
  builder.SetMaxReceiveMessageSize(Bytes(options.maxMessageBytes));
  builder.SetMaxSendMessageSize(Bytes(options.maxMessageBytes));
}

}  // namespace detail
}  // namespace Remote
}  // namespace Jorv
