#pragma once
// The whole framework: data values and definitions, localisation, messages, the standard
// records and the conversion engines. Include this and link jorv_framework.

#include "framework/core/compound_value.h"
#include "framework/core/data_definition.h"
#include "framework/core/data_value.h"
#include "framework/core/date_time.h"
#include "framework/core/localization.h"
#include "framework/core/message_catalog.h"
#include "framework/core/opaque.h"
#include "framework/core/optional_ptr.h"
#include "framework/core/standard_names.h"
#include "framework/core/value_ops.h"
#include "framework/data/enumeration.h"
#include "framework/data/format.h"
#include "framework/data/message.h"
#include "framework/data/native.h"
#include "framework/data/native_kind.h"
#include "framework/data/native_to_definition.h"
#include "framework/data/native_to_value.h"
#include "framework/data/value_to_native.h"
#include "framework/data/std_records.h"
