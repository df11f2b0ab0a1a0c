#include "framework/remote/remote_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <list>
#include <memory>
#include <string>

#include "framework/core/standard_names.h"
#include "framework/remote/remote_support.h"
#include "framework/text/message_catalog.h"
#include "support/values.h"

namespace Jorv {
namespace Testing {
namespace {

// Runs openssl with `args`, quietly; a failure fails the test.
void OpenSsl(const std::string& args) {
  const std::string command = "openssl " + args + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

using RemoteTls = RemoteFixture;

TEST_F(RemoteTls, OnlyClientsThatTrustTheServerAndThatItTrustsGetThrough) {
  // Two authorities, and a server certificate for 127.0.0.1 and a client certificate, both
  // issued by the first.
  TempDir dir;
  const auto in = [&dir](const std::string& name) { return dir.Path(name); };
  const std::string key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
  dir.Write("server.ext", "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
  for (const std::string ca : {"ca", "other-ca"}) {
    OpenSsl("req -x509 " + key + " -days 1 -subj /CN=" + ca + " -keyout " + in(ca + ".key") +
            " -out " + in(ca + ".pem"));
  }
  for (const std::string leaf : {"server", "client"}) {
    OpenSsl("req " + key + " -subj /CN=" + leaf + " -keyout " + in(leaf + ".key") + " -out " +
            in(leaf + ".csr"));
    OpenSsl("x509 -req -days 1 -in " + in(leaf + ".csr") + " -CA " + in("ca.pem") + " -CAkey " +
            in("ca.key") + " -CAcreateserial -out " + in(leaf + ".pem") +
            (leaf == "server" ? " -extfile " + in("server.ext") : ""));
  }
  Remote::ServerOptions server;
  server.tlsCertFile = in("server.pem");
  server.tlsKeyFile = in("server.key");
  server.tlsClientCaFile = in("ca.pem");
  Serve(server);

  Remote::ClientOptions trusted;
  trusted.tlsCaFile = in("ca.pem");
  trusted.tlsCertFile = in("client.pem");
  trusted.tlsKeyFile = in("client.key");
  Remote::ClientOptions wrongCa = trusted;
  wrongCa.tlsCaFile = in("other-ca.pem");
  Remote::ClientOptions noCertificate = trusted;
  noCertificate.tlsCertFile = noCertificate.tlsKeyFile = "";
  const struct {
    const char* name;
    Remote::ClientOptions options;
    std::string error;
  } cases[] = {
      {"trusted both ways", trusted, ""},
      {"server certificate from another authority", wrongCa, Std::kServiceUnavailable},
      {"no client certificate", noCertificate, Std::kServiceUnavailable},
      {"no TLS", Remote::ClientOptions(), Std::kServiceUnavailable},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const auto report = Call(Connect(test.options), "stream")->Await(1);
    EXPECT_TRUE(report.result);
    EXPECT_EQ(ErrorName(report), test.error);
  }
}

TEST(RemoteTlsSettings, IncompleteSettingsAndUnreadableFilesAreRefused) {
  TempDir dir;
  Remote::ServerOptions halfTls;
  halfTls.tlsCertFile = dir.Write("server.pem", "not read");
  Remote::ClientOptions missingToken;
  missingToken.tokenFile = dir.Path("missing.token");
  std::list<BaseMessage> server;
  std::list<BaseMessage> client;
  EXPECT_FALSE(
      Remote::RemoteServer::Start(std::make_shared<Core::InProcessApiProvider>(), halfTls, server));
  EXPECT_FALSE(Remote::RemoteApiProvider::Create("127.0.0.1:1", missingToken, client));
  ASSERT_EQ(server.size(), 1u);
  EXPECT_EQ(server.front().GetId(), MessageIds::kRemoteTlsIncomplete);
  ASSERT_EQ(client.size(), 1u);
  EXPECT_EQ(client.front().GetId(), MessageIds::kRemoteFileUnreadable);
  EXPECT_EQ(client.front().GetArgs().front(), missingToken.tokenFile);
}

}  // namespace
}  // namespace Testing
}  // namespace Jorv
