#pragma once
// Result: what a query yields at one moment: the query, a timestamp, the snapshots taken and
// any messages from the provider. The output of Queries execute and each item of Stream attach.

#include <list>
#include <memory>
#include <string>

#include "framework/core/date_time.h"
#include "framework/data/native.h"
#include "framework/data/std_records.h"
#include "framework/data/struct_metadata.h"
#include "stats/provider/snapshot.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {

struct Result : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.result";
  static constexpr const char* kStructInfoName = "com.zentak.stats.provider.Result";

  std::string query;  // identifies a "StatsQuery"
  ::Jorv::DateTime timestamp;
  std::list<std::shared_ptr<const Snapshot>> snapshots;
  std::list<std::shared_ptr<const Jorv::Std::LocalizableMessage>> messages;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("query", &Result::query, ::Jorv::Metadata::Identifier{"StatsQuery"});
      f.Field("timestamp", &Result::timestamp);
      f.Field("snapshots", &Result::snapshots);
      f.Field("messages", &Result::messages);
    }
  };
};

}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
