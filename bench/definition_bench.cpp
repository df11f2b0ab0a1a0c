// Definition and binding benchmarks: deriving the definition of Result and of every method's
// input, output and errors, and binding each service to a trivial implementation and publishing
// it on an in-process transport. These have no peer; the report lists them on their own.

#include <benchmark/benchmark.h>

#include <memory>

#include "registry.h"
#include "trivial_services.h"

namespace StatsBench {
namespace {

namespace Counters = Provider::CountersSvc;
namespace Queries = Provider::QueriesSvc;
namespace Stream = Provider::StreamSvc;

// What deriving a set of definitions gave: how many were asked for and how many came back.
struct Derived {
  int asked = 0;
  int defined = 0;
  void Add(const Jorv::Data::DataDefinitionPtr& definition) {
    ++asked;
    if (definition) ++defined;
  }
};

// Derives the input, output and error definitions of each of `Methods`.
template <class... Methods>
Derived DefineMethods() {
  Derived derived;
  (
      [&derived] {
        derived.Add(Methods::inputDef());
        derived.Add(Methods::outputDef());
        for (const auto& error : Methods::errorDefs()) derived.Add(error);
      }(),
      ...);
  return derived;
}

// Derives the definitions of every method of the three services.
Derived DefineAllMethods() {
  return DefineMethods<Counters::ListMethod, Queries::CreateMethod, Queries::ListMethod,
                       Queries::GetMethod, Queries::UpdateMethod, Queries::DeleteMethod,
                       Queries::ExecuteMethod, Stream::CreateMethod, Stream::GetMethod,
                       Stream::UpdateMethod, Stream::AttachMethod, Stream::DeleteMethod>();
}

void DefineResult(benchmark::State& state) {
  Jorv::Data::DataDefinitionPtr sample;
  Jorv::Data::NativeToDefinitionAdapter::Adapt(
      Jorv::Data::NativeToDefinitionAdapter::AdaptMethod<Provider::Result>::Get(), &sample, {});
  if (!sample) return state.SkipWithError("no definition of Result");
  for (auto _ : state) {
    Jorv::Data::DataDefinitionPtr definition;
    Jorv::Data::NativeToDefinitionAdapter::Adapt(
        Jorv::Data::NativeToDefinitionAdapter::AdaptMethod<Provider::Result>::Get(), &definition,
        {});
    benchmark::DoNotOptimize(definition);
  }
  state.counters["definitions"] = 1;
}

void DefineMethodsBenchmark(benchmark::State& state) {
  const Derived derived = DefineAllMethods();
  if (derived.defined != derived.asked) {
    return state.SkipWithError("a method definition is missing");
  }
  for (auto _ : state) {
    Derived again = DefineAllMethods();
    benchmark::DoNotOptimize(again);
  }
  state.counters["definitions"] = derived.asked;
}

// Binds `implementation` with Binder and publishes the interface on `transport`, which then
// serves it under the service's name.
template <class Binder, class Implementation>
void BindAndPublish(benchmark::State& state, std::shared_ptr<Implementation> implementation) {
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  const auto name = Jorv::Data::TypeInfo<typename Implementation::AsyncServiceInterface>::name();
  transport->Publish(Binder::BindImplementation(implementation));
  if (!transport->Unpublish(name)) return state.SkipWithError("the bound service was not served");
  for (auto _ : state) {
    transport->Publish(Binder::BindImplementation(implementation));
  }
}

}  // namespace

void RegisterDefinitionBenchmarks() {
  benchmark::RegisterBenchmark("define/result", DefineResult);
  benchmark::RegisterBenchmark("define/all_methods", DefineMethodsBenchmark);
  benchmark::RegisterBenchmark("bind/counters", [](benchmark::State& s) {
    BindAndPublish<Counters::AsyncServiceBinder>(s, std::make_shared<TrivialCounters>());
  });
  benchmark::RegisterBenchmark("bind/queries", [](benchmark::State& s) {
    BindAndPublish<Queries::AsyncServiceBinder>(
        s, std::make_shared<TrivialQueries>(std::make_shared<Queries::Info>()));
  });
  benchmark::RegisterBenchmark("bind/stream", [](benchmark::State& s) {
    BindAndPublish<Stream::AsyncServiceBinder>(
        s, std::make_shared<TrivialStream>(std::make_shared<Provider::Result>()));
  });
}

}  // namespace StatsBench
