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

namespace Jorv {
namespace Testing {

using Body = std::function<void(const Data::DataValuePtr&,
                                const std::shared_ptr<Core::AsyncActivation>&,
                                const Core::AsyncApiResultCb&)>;

constexpr char kTestInterface[] = "com.example.remote.test";

// A published method that runs a test's body.
class BodyMethod : public Provider::AsyncApiMethod {
 public:
  BodyMethod(std::string name, Body body) : name_(std::move(name)), body_(std::move(body)) {}
  const std::string& methodName() const override { return name_; }
  std::shared_ptr<const Core::MethodDefinition> definition(
      const std::shared_ptr<const Core::InterfaceIdentifier>& id) const override {
    return std::make_shared<const Core::MethodDefinition>(
        Core::MethodDefinition{Core::MethodIdentifier::GetInstance(id, name_), nullptr, nullptr});
  }
  const Data::DataDefinitionPtr& inputDefinition() const override { return none_; }
  const Data::DataDefinitionPtr& outputDefinition() const override { return none_; }
  std::list<Data::DataDefinitionPtr> errorDefinitions() override { return {}; }
  const std::list<Data::DataDefinitionPtr>& errorDefinitions() const override { return errors_; }
  void Invoke(const Data::DataValuePtr& input,
              const std::shared_ptr<Core::AsyncActivation>& activation,
              const Core::AsyncApiResultCb& callback) const override {
    body_(input, activation, callback);
  }

 private:
  std::string name_;
  Body body_;
  Data::DataDefinitionPtr none_;
  std::list<Data::DataDefinitionPtr> errors_;
};

inline std::shared_ptr<const Core::MethodIdentifier> Method(const std::string& name) {
  return Core::MethodIdentifier::GetInstance(
      Core::InterfaceIdentifier::GetInstance(kTestInterface), name);
}

// The reports one call delivered, in order, to the callbacks it handed out.
class Inbox {
 public:
  struct Report {
    std::shared_ptr<const Core::MethodResult> result;
    Progress progress;
    Core::AsyncApiResultCb::Continuation next;
  };

  Core::AsyncApiResultCb Callback() {
    return Core::AsyncApiResultCb([this](const std::shared_ptr<const Core::MethodResult>& result,
                                         const Progress& progress,
                                         Core::AsyncApiResultCb::Continuation&& next) {
      std::lock_guard<std::mutex> lock(mutex_);
      reports_.push_back(Report{result, progress, std::move(next)});
      arrived_.notify_all();
    });
  }
  std::shared_ptr<Core::AsyncApiResultCb> Receiver() {
    return std::make_shared<Core::AsyncApiResultCb>(Callback());
  }

  // Report `count` (from 1), waiting for it at most `patience`; an empty report after a
  // failure when it does not come.
  Report Await(std::size_t count, std::chrono::milliseconds patience = std::chrono::seconds(10)) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_for(lock, patience, [&] { return reports_.size() >= count; })) {
      ADD_FAILURE() << "only " << reports_.size() << " of " << count << " reports arrived";
      return Report{};
    }
    return reports_[count - 1];
  }
  std::size_t Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Report> reports_;
};

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
