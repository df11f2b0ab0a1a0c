#pragma once
// Values::TraceLog: one log entry of a trace span, a timestamp and its tags. The timestamp is a
// plain integer, not a date-time.

#include <list>
#include <memory>

#include "framework/data/native.h"
#include "stats/provider/values/trace_tag.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace Values {

struct TraceLog : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.values.trace_log";

  long long timestamp = 0;
  std::list<std::shared_ptr<const TraceTag>> fields;  // no element may be null

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("timestamp", &TraceLog::timestamp);
      f.Field("fields", &TraceLog::fields);
    }
  };
};

}  // namespace Values
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
