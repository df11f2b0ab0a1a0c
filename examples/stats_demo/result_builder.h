#pragma once
// Builds the Result of one execution of a query: the value of every counter instance, grouped
// into one snapshot per resource, and a message for everything that could not be read.

#include <list>
#include <memory>
#include <string>

#include "examples/stats_demo/counter_catalog.h"
#include "examples/stats_demo/host_sample.h"

namespace StatsDemo {

// The result of `query` over `instances`, read from `after` with rates against `before` (null
// when there is none). Snapshots come in the order of their resources' first instances; the
// host-wide values form one snapshot without resource identifiers. An instance whose counter is
// no longer registered in `catalog` gets an empty value and a message; so does one that cannot
// be read.
// The messages begin with the problems of `after`.
std::shared_ptr<const Api::Result> BuildResult(
    const std::string& query,
    const std::list<std::shared_ptr<const Api::CounterInstance>>& instances,
    const CounterCatalog& catalog, const HostSample* before, const HostSample& after,
    ::Jorv::DateTime timestamp);

}  // namespace StatsDemo
