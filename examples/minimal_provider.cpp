// A minimal provider: the Queries service kept in an in-memory map, bound with its binder and
// published on the in-process transport. main() then checks it as a client would.
#include <cstdlib>
#include <iostream>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "stats/provider/stats_provider.h"

namespace {

using namespace Com::Zentak::Stats::Provider;
using Jorv::Core::AsyncActivation;
using Instances = std::list<std::shared_ptr<const CounterInstance>>;

// The stored queries by identifier. Every operation completes its result once, with its output
// or a declared error, and outside the lock, so that a callback may call the service again.
class InMemoryQueries : public QueriesSvc::AsyncServiceInterface {
 public:
  void Create(const std::shared_ptr<const QueriesSvc::CreateSpec>& spec,
              const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::CreateMethod::ResultCbType& result) override {
    auto created = std::make_shared<QueriesSvc::CreateResult>();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      created->query = "q-" + std::to_string(++lastId_);
      QueriesSvc::Info& info = queries_[created->query];
      info.query = created->query;
      info.view = spec->view.value_or("default");
      info.owner = "minimal-provider";
      info.time_to_live = spec->time_to_live;
      info.instances = spec->instances;
    }
    result(created);
  }

  void List(const std::shared_ptr<AsyncActivation>&,
            const QueriesSvc::ListMethod::ResultCbType& result) override {
    std::unique_lock<std::mutex> lock(mutex_);
    std::list<std::string> ids;
    for (const auto& entry : queries_) ids.push_back(entry.first);
    lock.unlock();
    result(ids);
  }

  void Get(const std::string& query, const std::shared_ptr<AsyncActivation>&,
           const QueriesSvc::GetMethod::ResultCbType& result) override {
    std::shared_ptr<const QueriesSvc::Info> copy;
    auto read = [&](QueriesSvc::Info& info) { copy = std::make_shared<QueriesSvc::Info>(info); };
    if (!WithQuery(query, read)) return result.error(NotFound(query));
    result(copy);
  }

  void Update(const std::string& query, const std::shared_ptr<const QueriesSvc::UpdateSpec>& spec,
              const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::UpdateMethod::ResultCbType& result) override {
    // Changes only what the spec sets; an instance to remove is matched by its handle.
    auto update = [&](QueriesSvc::Info& info) {
      if (spec->time_to_live) info.time_to_live = *spec->time_to_live;
      for (const auto& gone : spec->instances_to_remove.value_or(Instances())) {
        info.instances.remove_if([&](const auto& i) { return i->chandle == gone->chandle; });
      }
      info.instances.splice(info.instances.end(), spec->instances_to_add.value_or(Instances()));
    };
    if (!WithQuery(query, update)) return result.error(NotFound(query));
    result(Jorv::Void());
  }

  void Delete(const std::string& query, const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::DeleteMethod::ResultCbType& result) override {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool erased = queries_.erase(query) == 1;
    lock.unlock();
    if (!erased) return result.error(NotFound(query));
    result(Jorv::Void());
  }

  // A real provider would sample each instance's counter here.
  void Execute(const std::string& query, const std::shared_ptr<AsyncActivation>&,
               const QueriesSvc::ExecuteMethod::ResultCbType& result) override {
    if (!WithQuery(query, [](QueriesSvc::Info&) {})) return result.error(NotFound(query));
    auto sampled = std::make_shared<Result>();
    sampled->query = query;
    sampled->timestamp = Jorv::DateTime::Now();
    result(sampled);
  }

 private:
  // Calls `use` with the stored query under the lock; false when there is none.
  template <class Use>
  bool WithQuery(const std::string& query, Use use) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = queries_.find(query);
    if (it == queries_.end()) return false;
    use(it->second);
    return true;
  }

  // The declared "not found" error; the framework renders its text in the caller's locale.
  static Jorv::Data::NativeError NotFound(const std::string& query) {
    return {QueriesSvc::Errors::kNotFound,
            {Jorv::MakeMessage("example.query.unknown", "No query {1}.", query)}};
  }

  std::mutex mutex_;
  long long lastId_ = 0;
  std::map<std::string, QueriesSvc::Info> queries_;
};

}  // namespace

int main() {
  // Bind the implementation and publish it: from now on the transport routes calls to it.
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  transport->Publish(
      QueriesSvc::AsyncServiceBinder::BindImplementation(std::make_shared<InMemoryQueries>()));

  // Check it as a client would: create a query, read it back, delete it, read it again. The
  // in-process transport completes each call before the stub returns.
  QueriesSvc::AsyncServiceStub stub(std::make_shared<Jorv::Stub::AsyncApiStub>(transport));
  auto spec = std::make_shared<QueriesSvc::CreateSpec>();
  spec->time_to_live = 600;

  std::string created, owner, missing;
  stub.Create(spec, nullptr,
              QueriesSvc::CreateMethod::ResultCbType([&](const auto& out, auto&&...) {
                if (out) created = (*out)->query;
              }));
  stub.Get(created, nullptr, QueriesSvc::GetMethod::ResultCbType([&](const auto& out, auto&&...) {
             if (out && (*out)->time_to_live == 600) owner = (*out)->owner;
           }));
  stub.Delete(created, nullptr, QueriesSvc::DeleteMethod::ResultCbType([](auto&&...) {}));
  stub.Get(created, nullptr,
           QueriesSvc::GetMethod::ResultCbType([&](const auto&, const auto& error, auto&&...) {
             if (error) missing = error->GetName();
           }));

  std::cout << created << " owned by " << owner << "; after delete: " << missing << "\n";
  const bool ok =
      created == "q-1" && owner == "minimal-provider" && missing == QueriesSvc::Errors::kNotFound;
  return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
