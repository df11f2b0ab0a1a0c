#pragma once
// The records of the Stream service, which keeps the result stream of a stored query and lets
// clients attach to it to receive Result records.

#include "stats/provider/result.h"
#include "stats/provider/stream/attach_spec.h"
#include "stats/provider/stream/create_spec.h"
#include "stats/provider/stream/info.h"
#include "stats/provider/stream/update_spec.h"
