#pragma once
// The native types the harnesses read values into: every record and enumeration of the
// bindings, and every method of the three services (whose inputs and outputs are read). Adding
// a record or a method to the bindings means adding it here.

#include <cstddef>

#include "stats/provider/stats_provider.h"

namespace Jorv {
namespace Fuzz {

template <class... T>
struct TypeList {
  static constexpr std::size_t size = sizeof...(T);
};

template <class T>
struct Tag {
  using Type = T;
};

// Calls `f(Tag<T>())` for the type at `index` of the list; nothing when it is out of range.
template <class... T, class F>
void VisitType(TypeList<T...>, std::size_t index, F&& f) {
  std::size_t i = 0;
  ((i++ == index ? (f(Tag<T>()), 0) : 0), ...);
}

// Calls `f(Tag<T>())` for every type of the list, in order.
template <class... T, class F>
void ForEachType(TypeList<T...>, F&& f) {
  (f(Tag<T>()), ...);
}

namespace Targets {

namespace P = Com::Zentak::Stats::Provider;
namespace C = P::CountersSvc;
namespace Q = P::QueriesSvc;
namespace S = P::StreamSvc;
namespace V = P::Values;
namespace Std = Com::Zentak::Jorv::Std;

using Enumerations = TypeList<C::Type, C::Unit, C::UnitFactor, C::Rollup, C::QueryCapabilities,
                              C::Status, V::TraceTagEnumerations::Type>;

using Records = TypeList<
    // The top-level records.
    P::CounterInstance, P::ResourceId, P::Result, P::Snapshot, P::Value,
    // Counters.
    C::ResourceIdDefFilter, C::RsrcIdSchemaFilter, C::Filter, C::TypeInfo, C::UnitInfo,
    C::UnitFactorInfo, C::RollupInfo, C::ResourceIdTypeInfo, C::ResourceIdDef, C::Metadata,
    C::StatsCounter, C::ListResult, C::UserInfo,
    // Queries.
    Q::CreateSpec, Q::CreateResult, Q::Info, Q::UpdateSpec,
    // Stream.
    S::AttachSpec, S::CreateSpec, S::Info, S::UpdateSpec,
    // Structured sample values.
    V::SimpleHistogram, V::TraceTag, V::TraceLog, V::TraceSpan,
    // The framework's standard records that the bindings carry.
    Std::LocalizableMessage, Std::Errors::NotFound, Std::Errors::InvalidArgument,
    // The enumerations on their own.
    C::Type, C::Unit, C::UnitFactor, C::Rollup, C::QueryCapabilities, C::Status,
    V::TraceTagEnumerations::Type>;

using Methods = TypeList<C::ListMethod, Q::CreateMethod, Q::ListMethod, Q::GetMethod,
                         Q::UpdateMethod, Q::DeleteMethod, Q::ExecuteMethod, S::CreateMethod,
                         S::GetMethod, S::UpdateMethod, S::AttachMethod, S::DeleteMethod>;

}  // namespace Targets
}  // namespace Fuzz
}  // namespace Jorv
