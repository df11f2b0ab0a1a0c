#pragma once
// The remote transport's tests: a router with methods whose bodies a test gives, a server for
// it on a loopback port of its own, clients, and an inbox that records the reports of a call
// and waits for them within a bound.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/core/async_api_method.h"
#include "framework/core/in_process_transport.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"
#include "support/awaited_reports.h"
#include "support/body_method.h"

namespace Jorv {
namespace Testing {

constexpr char kTestInterface[] = "com.example.remote.test";

inline std::shared_ptr<const Core::MethodIdentifier> Method(const std::string& name) {
  return Core::MethodIdentifier::GetInstance(Core::InterfaceIdentifier::GetInstance(kTestInterface),
                                             name);
}

// The reports one call delivered, in order, to the callbacks it handed out. Reports that come
// after the inbox went find its shared state.
class Inbox {
 public:
  struct Report {
    std::shared_ptr<const Core::MethodResult> result;
    Progress progress;
    Core::AsyncApiResultCb::Continuation next;
  };

  Core::AsyncApiResultCb Callback() {
    return Core::AsyncApiResultCb(
        [reports = reports_](const std::shared_ptr<const Core::MethodResult>& result,
                             const Progress& progress,
                             Core::AsyncApiResultCb::Continuation&& next) {
          reports->Add(Report{result, progress, std::move(next)});
        });
  }
  std::shared_ptr<Core::AsyncApiResultCb> Receiver() {
    return std::make_shared<Core::AsyncApiResultCb>(Callback());
  }

  // Report `count` (from 1), waiting for it at most `patience`.
  Report Await(std::size_t count, std::chrono::milliseconds patience = std::chrono::seconds(10)) {
    return reports_->Await(count, patience);
  }
  std::size_t Count() { return reports_->Count(); }

 private:
  std::shared_ptr<AwaitedReports<Report>> reports_ = std::make_shared<AwaitedReports<Report>>();
};

// A completed method result holding `value`.
inline std::shared_ptr<const Core::MethodResult> Output(Data::DataValuePtr value) {
  return Core::MethodResult::Create(std::move(value), nullptr);
}

// The name of the error a report carries, "" for none.
inline std::string ErrorName(const Inbox::Report& report) {
  return report.result && report.result->error ? report.result->error->GetName() : "";
}

// The first message of the error a report carries.
inline BaseMessage FirstMessage(const Inbox::Report& report) {
  if (!report.result || !report.result->error) return BaseMessage();
  const auto messages = report.result->error->GetMessages();
  return messages.empty() ? BaseMessage() : messages.front();
}

// Waits until `done` holds, polling, at most `patience`; whether it held.
inline bool Eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds patience = std::chrono::seconds(10)) {
  const auto until = std::chrono::steady_clock::now() + patience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A scratch directory, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "jorv-remote-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  // Writes `content` to the file `name` here; its path.
  std::string Write(const std::string& name, const std::string& content) const {
    const std::string file = (path_ / name).string();
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A router with test methods, served on a loopback port of its own.
class RemoteFixture : public testing::Test {
 protected:
  void Publish(std::list<std::pair<std::string, Body>> methods) {
    std::list<std::shared_ptr<const Provider::AsyncApiMethod>> published;
    for (auto& m : methods) {
      published.push_back(std::make_shared<BodyMethod>(m.first, std::move(m.second)));
    }
    router_->Publish(Provider::AsyncApiInterface::GetInstance(
        Core::InterfaceIdentifier::GetInstance(kTestInterface), published));
  }
  void Serve(Remote::ServerOptions options = {}) {
    std::list<BaseMessage> problems;
    server_ = Remote::RemoteServer::Start(router_, options, problems);
    ASSERT_TRUE(server_) << (problems.empty() ? "" : problems.front().GetDefaultMessage());
  }
  std::shared_ptr<Remote::RemoteApiProvider> Connect(Remote::ClientOptions options = {},
                                                     std::string target = "") {
    std::list<BaseMessage> problems;
    auto client = Remote::RemoteApiProvider::Create(target.empty() ? server_->Address() : target,
                                                    options, problems);
    EXPECT_TRUE(client) << (problems.empty() ? "" : problems.front().GetDefaultMessage());
    return client;
  }

  std::shared_ptr<Core::InProcessApiProvider> router_ =
      std::make_shared<Core::InProcessApiProvider>();
  std::unique_ptr<Remote::RemoteServer> server_;
};

}  // namespace Testing
}  // namespace Jorv
