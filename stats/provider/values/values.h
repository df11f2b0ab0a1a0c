#pragma once
// Structured sample values: a simple histogram, and a trace span with its tags and logs. They
// travel as arbitrary data values, for example inside the opaque field of a Value.

#include "stats/provider/values/simple_histogram.h"
#include "stats/provider/values/trace_log.h"
#include "stats/provider/values/trace_span.h"
#include "stats/provider/values/trace_tag.h"
#include "stats/provider/values/trace_tag_enumerations.h"
