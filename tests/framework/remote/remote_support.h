#pragma once
// The remote transport's tests: a router with methods whose bodies a test gives, a server for
// it on a loopback port of its own, clients, and an inbox that records the reports of a call
// and waits for them within a bound.

#include <gtest/gtest.h>

#include <atomic>
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
#include "framework/core/standard_names.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"
#include "support/awaited_reports.h"
#include "support/body_method.h"
#include "support/values.h"

namespace Jorv {
namespace Testing {

constexpr char kTestInterface[] = "com.example.remote.test";
constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";

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

// A router served on a loopback port of its own, with these methods:
//   echo      answers with its input and what the activation carried;
//   mirror    answers with its input;
//   progress  reports progress twice, then ends with not_found;
//   hang      holds its callback in held_ and never answers unless a test does;
//   stream    reports Int(1) offering more; a request for more is held in held_, a stop counted.
class RemoteFixture : public testing::Test {
 protected:
  using Value = Data::DataValuePtr;
  using Activation = std::shared_ptr<Core::AsyncActivation>;
  using Callback = Core::AsyncApiResultCb;

  RemoteFixture() {
    const std::pair<const char*, Body> methods[] = {
        {"echo",
         [](const Value& input, const Activation& a, const Callback& cb) {
           cb(Output(
                  Struct("echo", {{"input", input},
                                  {"app", Str(a->context->applicationContext.at("user"))},
                                  {"secret", Str(a->context->securityContext.at("role"))},
                                  {"language", Str(a->localeSpec->GetLanguages().at(1).GetTag())},
                                  {"zone", Str(a->localeSpec->GetTimezone().GetZoneName())}})),
              Progress::Completion(), nullptr);
         }},
        {"mirror", [](const Value& input, const Activation&,
                      const Callback& cb) { cb(Output(input), Progress::Completion(), nullptr); }},
        {"progress",
         [](const Value&, const Activation&, const Callback& cb) {
           cb(nullptr, Progress{0, 1, 3}, nullptr);
           cb(nullptr, Progress{0, 2, 3}, nullptr);
           const BaseMessage message("q.unknown", "No q.", {"q"});
           cb(Core::MethodResult::Create(nullptr, Data::ErrorValue::Create(kNotFound, {message})),
              Progress::Completion(), nullptr);
         }},
        {"hang",
         [this](const Value&, const Activation&, const Callback& cb) {
           std::lock_guard<std::mutex> lock(mutex_);
           held_.push_back(cb);
         }},
        {"stream", [this](const Value&, const Activation&, const Callback& cb) { Item(cb); }}};
    std::list<std::shared_ptr<const Provider::AsyncApiMethod>> published;
    for (const auto& method : methods) {
      published.push_back(std::make_shared<BodyMethod>(method.first, method.second));
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
  // Calls `method` through `client`; the inbox of its reports.
  std::shared_ptr<Inbox> Call(const std::shared_ptr<Remote::RemoteApiProvider>& client,
                              const std::string& method, Value input = nullptr,
                              Activation activation = nullptr) {
    auto inbox = std::make_shared<Inbox>();
    client->InvokeAsync(Method(method), std::move(input), std::move(activation), inbox->Callback());
    return inbox;
  }

  // Reports a stream item whose continuation holds the request for the next one or counts a
  // stop.
  void Item(const Core::AsyncApiResultCb& cb) {
    calls_.fetch_add(1);
    cb(Output(Int(1)), Progress::Completion(),
       [this](std::shared_ptr<Core::AsyncApiResultCb> next) {
         if (!next) {
           stops_.fetch_add(1);
           return;
         }
         std::lock_guard<std::mutex> lock(mutex_);
         held_.push_back(*next);
       });
  }
  std::size_t Held() {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_.size();
  }

  std::shared_ptr<Core::InProcessApiProvider> router_ =
      std::make_shared<Core::InProcessApiProvider>();
  std::unique_ptr<Remote::RemoteServer> server_;
  std::mutex mutex_;
  std::vector<Core::AsyncApiResultCb> held_;
  std::atomic<int> calls_{0};
  std::atomic<int> stops_{0};
};

}  // namespace Testing
}  // namespace Jorv
