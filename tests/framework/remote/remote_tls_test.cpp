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

// Certificates made with openssl for one test: two authorities, a server certificate for
// 127.0.0.1 and a client certificate, both issued by the first authority.
class Certificates {
 public:
  Certificates() {
    const std::string key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    dir_.Write("server.ext", "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
    for (const std::string ca : {"ca", "other-ca"}) {
      Run("req -x509 " + key + " -days 1 -subj /CN=" + ca + " -keyout " + In(ca + ".key") +
          " -out " + In(ca + ".pem"));
    }
    for (const std::string leaf : {"server", "client"}) {
      Run("req " + key + " -subj /CN=" + leaf + " -keyout " + In(leaf + ".key") + " -out " +
          In(leaf + ".csr"));
      Run("x509 -req -days 1 -in " + In(leaf + ".csr") + " -CA " + In("ca.pem") + " -CAkey " +
          In("ca.key") + " -CAcreateserial -out " + In(leaf + ".pem") +
          (leaf == "server" ? " -extfile " + In("server.ext") : ""));
    }
  }
  std::string In(const std::string& name) const { return dir_.Path(name); }

 private:
  static void Run(const std::string& args) {
    const std::string command = "openssl " + args + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  TempDir dir_;
};

class RemoteTls : public RemoteFixture {
 protected:
  RemoteTls() {
    Publish({{"ping", [](const Data::DataValuePtr&, const std::shared_ptr<Core::AsyncActivation>&,
                         const Core::AsyncApiResultCb& cb) {
                cb(Core::MethodResult::Create(Str("pong"), nullptr), Progress::Completion(),
                   nullptr);
              }}});
  }
  // The name of the error a ping through `options` ends with, "" for success.
  std::string Ping(const Remote::ClientOptions& options) {
    Inbox inbox;
    Connect(options)->InvokeAsync(Method("ping"), nullptr, nullptr, inbox.Callback());
    const auto report = inbox.Await(1);
    EXPECT_TRUE(report.result);
    return ErrorName(report);
  }

  Certificates certificates_;
};

TEST_F(RemoteTls, OnlyClientsThatTrustTheServerAndThatItTrustsGetThrough) {
  const auto& c = certificates_;
  Remote::ServerOptions server;
  server.tlsCertFile = c.In("server.pem");
  server.tlsKeyFile = c.In("server.key");
  server.tlsClientCaFile = c.In("ca.pem");
  Serve(server);

  Remote::ClientOptions trusted;
  trusted.tlsCaFile = c.In("ca.pem");
  trusted.tlsCertFile = c.In("client.pem");
  trusted.tlsKeyFile = c.In("client.key");
  Remote::ClientOptions wrongCa = trusted;
  wrongCa.tlsCaFile = c.In("other-ca.pem");
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
    EXPECT_EQ(Ping(test.options), test.error);
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
