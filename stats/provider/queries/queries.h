#pragma once
// The records of the Queries service, which keeps stored queries over counter instances and
// executes them into Result records.

#include "stats/provider/queries/create_result.h"
#include "stats/provider/queries/create_spec.h"
#include "stats/provider/queries/info.h"
#include "stats/provider/queries/update_spec.h"
#include "stats/provider/result.h"
