#pragma once
// Filter: one element of the filter list of the Counters method `list`, with the resource
// identifier filters it may hold. Every field is optional; the filters carry no meaning of
// their own and reach the provider's implementation as received.

#include <list>
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "framework/core/optional_ptr.h"
#include "framework/data/native.h"
#include "stats/provider/counters/enumerations.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

// Selects by one resource-identifier key of a counter's schema.
struct ResourceIdDefFilter : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName =
      "com.zentak.stats.provider.counters.resource_id_def_filter";

  boost::optional<std::string> key;
  boost::optional<std::string> type;
  boost::optional<QueryCapabilities> query_options;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("key", &ResourceIdDefFilter::key);
      f.Field("type", &ResourceIdDefFilter::type);
      f.Field("query_options", &ResourceIdDefFilter::query_options);
    }
  };
};

// Selects by the shape of a counter's resource-identifier schema.
struct RsrcIdSchemaFilter : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName =
      "com.zentak.stats.provider.counters.rsrc_id_schema_filter";

  boost::optional<std::string> key;
  boost::optional<std::string> type;
  boost::optional<long long> count;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("key", &RsrcIdSchemaFilter::key);
      f.Field("type", &RsrcIdSchemaFilter::type);
      f.Field("count", &RsrcIdSchemaFilter::count);
    }
  };
};

struct Filter : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.filter";

  boost::optional<std::string> metric;
  boost::optional<std::string> prefix;
  boost::optional<std::list<std::shared_ptr<const ResourceIdDefFilter>>> resource_id;
  ::Jorv::OptionalPtr<const RsrcIdSchemaFilter> resource_ids;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("metric", &Filter::metric);
      f.Field("prefix", &Filter::prefix);
      f.Field("resource_id", &Filter::resource_id);
      f.Field("resource_ids", &Filter::resource_ids);
    }
  };
};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
