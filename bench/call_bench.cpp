// Call benchmarks: a Queries get and one Result item pulled through Stream attach, each through
// the whole path (stub, in-process transport, published interface, validating signal, filters,
// trivial implementation and back), beside a gRPC unary call and one server-stream message
// over gRPC's in-process channel carrying the same fields. The same again across loopback TCP:
// ours through the remote transport (RemoteApiProvider to RemoteServer), gRPC's through a
// channel to 127.0.0.1.

#include <benchmark/benchmark.h>
#include <google/protobuf/util/message_differencer.h>
#include <grpcpp/grpcpp.h>

#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "call_baseline.grpc.pb.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"
#include "registry.h"
#include "sample_records.h"
#include "trivial_services.h"

namespace StatsBench {
namespace {

namespace Queries = Provider::QueriesSvc;
namespace Stream = Provider::StreamSvc;
using google::protobuf::util::MessageDifferencer;
using Jorv::Data::ErrorValue;

constexpr char kQuery[] = "q-4711";

// The answer of get: one counter instance qualified by one resource.
std::shared_ptr<const Queries::Info> MakeInfo() {
  auto instance = std::make_shared<Provider::CounterInstance>();
  instance->counter = "cpu.load";
  instance->edition = 2;
  instance->chandle = 7;
  instance->resource_ids = {{"host", "h1"}};
  auto info = std::make_shared<Queries::Info>();
  info->query = kQuery;
  info->view = "default";
  info->owner = "bench";
  info->time_to_live = 3600;
  info->instances = {instance};
  return info;
}

statsbench::Info ToProto(const Queries::Info& info) {
  statsbench::Info out;
  out.set_query(info.query);
  out.set_view(info.view);
  out.set_owner(info.owner);
  out.set_time_to_live(info.time_to_live);
  for (const auto& instance : info.instances) {
    statsbench::CounterInstance* i = out.add_instances();
    i->set_counter(instance->counter);
    if (instance->edition) i->set_edition(*instance->edition);
    i->set_chandle(instance->chandle);
    for (const auto& id : instance->resource_ids)
      (*i->mutable_resource_ids())[id.first] = id.second;
  }
  return out;
}

statsbench::Result ToProto(const Provider::Result& result) {
  statsbench::Result out;
  out.set_query(result.query);
  out.set_timestamp(result.timestamp.ToString());
  for (const auto& snapshot : result.snapshots) {
    statsbench::Snapshot* s = out.add_snapshots();
    if (snapshot->resource_ids) {
      for (const auto& id : *snapshot->resource_ids) {
        statsbench::ResourceId* r = s->add_resource_ids();
        r->set_key(id->key);
        r->set_type(id->type);
        r->set_scheme(id->scheme);
        r->set_id_value(id->id_value);
      }
    }
    for (const auto& value : snapshot->values) {
      statsbench::Value* v = s->add_values();
      v->set_chandle(value->chandle);
      if (value->raw) v->set_raw(*value->raw);
      if (value->value) v->set_value(*value->value);
    }
  }
  return out;
}

// Whether two records of ours write equal values.
template <class T>
bool SameRecord(const T& a, const T& b) {
  Jorv::Data::DataValuePtr va;
  Jorv::Data::DataValuePtr vb;
  std::list<Jorv::BaseMessage> messages;
  return ToValue(a, va, messages) && ToValue(b, vb, messages) && Jorv::Data::Equals(va, vb);
}

// The client's end of `router`: the router itself, or a RemoteApiProvider of a RemoteServer
// that serves it on a loopback port (kept in `server`).
std::shared_ptr<Jorv::Core::ApiProvider> ClientSide(
    const std::shared_ptr<Jorv::Core::InProcessApiProvider>& router, bool loopback,
    std::unique_ptr<Jorv::Remote::RemoteServer>& server) {
  if (!loopback) return router;
  std::list<Jorv::BaseMessage> problems;
  server = Jorv::Remote::RemoteServer::Start(router, {}, problems);
  return server ? Jorv::Remote::RemoteApiProvider::Create(server->Address(), {}, problems)
                : nullptr;
}

// Counts reports, which may arrive on another thread, and waits for them.
class Reports {
 public:
  void Arrived() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++count_;
    cv_.notify_one();
  }
  // Waits until `count` reports arrived; false after ten seconds without.
  bool AwaitCount(long count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return count_ >= count; });
  }
  long Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  long count_ = 0;
};

void OursQueriesGet(benchmark::State& state, bool loopback) {
  const auto info = MakeInfo();
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  transport->Publish(
      Queries::AsyncServiceBinder::BindImplementation(std::make_shared<TrivialQueries>(info)));
  std::unique_ptr<Jorv::Remote::RemoteServer> server;
  auto provider = ClientSide(transport, loopback, server);
  if (!provider) return state.SkipWithError("the remote transport did not start");
  Queries::AsyncServiceStub stub(std::make_shared<Jorv::Stub::AsyncApiStub>(provider));

  Reports completions;
  std::shared_ptr<const Queries::Info> received;
  std::shared_ptr<const ErrorValue> error;
  auto call = [&] {
    const long expected = completions.Count() + 1;
    stub.Get(kQuery, nullptr,
             Queries::GetMethod::ResultCbType(
                 [&](const boost::optional<std::shared_ptr<const Queries::Info>>& out,
                     const std::shared_ptr<const ErrorValue>& e, const Jorv::Progress&) {
                   received = out ? *out : nullptr;
                   error = e;
                   completions.Arrived();
                 }));
    completions.AwaitCount(expected);
  };
  call();
  if (completions.Count() != 1 || error || !received || !SameRecord(*received, *info)) {
    return state.SkipWithError("get did not answer the implementation's Info");
  }
  for (auto _ : state) call();
  if (completions.Count() != state.iterations() + 1) {
    state.SkipWithError("a call did not complete once");
  }
}

void OursStreamItem(benchmark::State& state, bool loopback) {
  using StreamResult = Stream::AttachMethod::StreamResultCbType;
  const std::shared_ptr<const Provider::Result> item = MakeResult(Shape{1, 1});
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  transport->Publish(
      Stream::AsyncServiceBinder::BindImplementation(std::make_shared<TrivialStream>(item)));
  std::unique_ptr<Jorv::Remote::RemoteServer> server;
  auto provider = ClientSide(transport, loopback, server);
  if (!provider) return state.SkipWithError("the remote transport did not start");
  Stream::AsyncServiceStub stub(std::make_shared<Jorv::Stub::AsyncApiStub>(provider));

  Reports reports;
  std::shared_ptr<const Provider::Result> received;
  std::shared_ptr<const ErrorValue> error;
  StreamResult::Continuation pending;
  auto receiver = [&] {
    return StreamResult([&](const boost::optional<std::shared_ptr<const Provider::Result>>& out,
                            const std::shared_ptr<const ErrorValue>& e, const Jorv::Progress&,
                            StreamResult::Continuation&& next) {
      received = out ? *out : nullptr;
      error = e;
      pending = std::move(next);
      reports.Arrived();
    });
  };
  auto spec = std::make_shared<Stream::AttachSpec>();
  spec->client_id = "bench";
  stub.Attach(kQuery, spec, nullptr, receiver());
  reports.AwaitCount(1);
  if (reports.Count() != 1 || error || !received || !pending || !SameRecord(*received, *item)) {
    return state.SkipWithError("attach did not report the implementation's item");
  }
  long asked = 1;
  for (auto _ : state) {
    StreamResult::Continuation next = std::move(pending);
    next(Jorv::MakeOptionalPtr<StreamResult>(receiver()));
    reports.AwaitCount(++asked);
  }
  const bool allReported = reports.Count() == state.iterations() + 1 && pending && !error;
  if (pending) pending(Jorv::OptionalPtr<StreamResult>());
  if (!allReported) state.SkipWithError("a request did not bring exactly one item");
}

class GrpcQueries final : public statsbench::Queries::Service {
 public:
  explicit GrpcQueries(statsbench::Info info) : info_(std::move(info)) {}
  grpc::Status Get(grpc::ServerContext*, const statsbench::GetRequest*,
                   statsbench::Info* out) override {
    *out = info_;
    return grpc::Status::OK;
  }

 private:
  statsbench::Info info_;
};

// Writes the item until the client cancels.
class GrpcStream final : public statsbench::Stream::Service {
 public:
  explicit GrpcStream(statsbench::Result item) : item_(std::move(item)) {}
  grpc::Status Attach(grpc::ServerContext* context, const statsbench::AttachRequest*,
                      grpc::ServerWriter<statsbench::Result>* writer) override {
    while (!context->IsCancelled() && writer->Write(item_)) {
    }
    return grpc::Status::OK;
  }

 private:
  statsbench::Result item_;
};

// A server of `service`, listening on a loopback port when `loopback`, and a channel to it:
// through that port, or in-process.
std::unique_ptr<grpc::Server> StartServer(grpc::Service* service, bool loopback,
                                          std::shared_ptr<grpc::Channel>& channel) {
  grpc::ServerBuilder builder;
  builder.RegisterService(service);
  int port = 0;
  if (loopback) builder.AddListeningPort("127.0.0.1:0", grpc::InsecureServerCredentials(), &port);
  std::unique_ptr<grpc::Server> server = builder.BuildAndStart();
  channel = loopback ? grpc::CreateChannel("127.0.0.1:" + std::to_string(port),
                                           grpc::InsecureChannelCredentials())
                     : server->InProcessChannel(grpc::ChannelArguments());
  return server;
}

void StopServer(grpc::Server& server) {
  server.Shutdown(std::chrono::system_clock::now() + std::chrono::seconds(2));
}

void GrpcUnary(benchmark::State& state, bool loopback) {
  const statsbench::Info expected = ToProto(*MakeInfo());
  GrpcQueries service(expected);
  std::shared_ptr<grpc::Channel> channel;
  std::unique_ptr<grpc::Server> server = StartServer(&service, loopback, channel);
  auto stub = statsbench::Queries::NewStub(channel);
  statsbench::GetRequest request;
  request.set_query(kQuery);

  statsbench::Info received;
  grpc::Status status;
  auto call = [&] {
    grpc::ClientContext context;
    received.Clear();
    status = stub->Get(&context, request, &received);
  };
  call();
  if (!status.ok() || !MessageDifferencer::Equals(received, expected)) {
    StopServer(*server);
    return state.SkipWithError("the unary call did not answer the service's Info");
  }
  long failures = 0;
  for (auto _ : state) {
    call();
    failures += status.ok() ? 0 : 1;
  }
  StopServer(*server);
  if (failures != 0) state.SkipWithError("a unary call failed");
}

void GrpcStreamMessage(benchmark::State& state, bool loopback) {
  const statsbench::Result expected = ToProto(*MakeResult(Shape{1, 1}));
  GrpcStream service(expected);
  std::shared_ptr<grpc::Channel> channel;
  std::unique_ptr<grpc::Server> server = StartServer(&service, loopback, channel);
  auto stub = statsbench::Stream::NewStub(channel);
  statsbench::AttachRequest request;
  request.set_query(kQuery);

  grpc::ClientContext context;
  std::unique_ptr<grpc::ClientReader<statsbench::Result>> reader = stub->Attach(&context, request);
  statsbench::Result received;
  bool ok = reader->Read(&received) && MessageDifferencer::Equals(received, expected);
  long failures = 0;
  if (ok) {
    for (auto _ : state) failures += reader->Read(&received) ? 0 : 1;
  }
  context.TryCancel();
  while (reader->Read(&received)) {
  }
  reader->Finish();
  StopServer(*server);
  if (!ok) return state.SkipWithError("the stream did not deliver the service's item");
  if (failures != 0) state.SkipWithError("the stream ended early");
}

}  // namespace

void RegisterCallBenchmarks() {
  // gRPC serves on threads of its own: wall-clock time is what a caller waits.
  for (const bool loopback : {false, true}) {
    const std::string where = loopback ? "_loopback" : "";
    benchmark::RegisterBenchmark(("call/queries_get" + where + "/ours").c_str(), OursQueriesGet,
                                 loopback)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("call/queries_get" + where + "/grpc_unary").c_str(), GrpcUnary,
                                 loopback)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("call/stream_item" + where + "/ours").c_str(), OursStreamItem,
                                 loopback)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("call/stream_item" + where + "/grpc_stream").c_str(),
                                 GrpcStreamMessage, loopback)
        ->UseRealTime();
  }
}

}  // namespace StatsBench
