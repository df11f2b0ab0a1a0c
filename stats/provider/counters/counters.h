#pragma once
// The data model of the Counters service: its enumerations and every record that the method
// `list` sends or receives, with the conversion hooks the framework engines use.

#include "stats/provider/counters/enumerations.h"
#include "stats/provider/counters/filter.h"
#include "stats/provider/counters/info_records.h"
#include "stats/provider/counters/list_result.h"
#include "stats/provider/counters/metadata.h"
#include "stats/provider/counters/resource_id_def.h"
#include "stats/provider/counters/stats_counter.h"
#include "stats/provider/counters/user_info.h"
