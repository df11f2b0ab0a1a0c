#pragma once
// Every binding of the statistics-provider API, and the framework they sit on. Include this and
// link stats_provider.

#include "framework/jorv.h"
#include "stats/provider/counter_instance.h"
#include "stats/provider/counters/counters.h"
#include "stats/provider/counters/service.h"
#include "stats/provider/queries/queries.h"
#include "stats/provider/queries/service.h"
#include "stats/provider/resource_id.h"
#include "stats/provider/result.h"
#include "stats/provider/snapshot.h"
#include "stats/provider/stream/service.h"
#include "stats/provider/stream/stream.h"
#include "stats/provider/value.h"
#include "stats/provider/values/values.h"
