#pragma once
// Values::TraceSpan: one span of a trace, with its identifiers, timing, and optionally its tags
// and log entries.

#include <list>
#include <memory>

#include <boost/optional.hpp>

#include "framework/data/native.h"
#include "stats/provider/values/trace_log.h"
#include "stats/provider/values/trace_tag.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace Values {

struct TraceSpan : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.values.trace_span";

  long long trace_id = 0;
  long long span_id = 0;
  long long parent_span_id = 0;  // required; no value stands for "no parent"
  long long start_time = 0;
  long long duration = 0;
  // A set but empty list travels as such and differs from an unset one.
  boost::optional<std::list<std::shared_ptr<const TraceTag>>> tags;
  boost::optional<std::list<std::shared_ptr<const TraceLog>>> logs;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("trace_id", &TraceSpan::trace_id);
      f.Field("span_id", &TraceSpan::span_id);
      f.Field("parent_span_id", &TraceSpan::parent_span_id);
      f.Field("start_time", &TraceSpan::start_time);
      f.Field("duration", &TraceSpan::duration);
      f.Field("tags", &TraceSpan::tags);
      f.Field("logs", &TraceSpan::logs);
    }
  };
};

}  // namespace Values
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
