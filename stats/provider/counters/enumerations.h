#pragma once
// The enumerations of the Counters service: counter type, unit, unit factor, rollup, resource
// identifier query capabilities and edition status. Each travels as its literal text; a text
// that matches no literal is kept as the unknown text of `_UNKNOWN` and written back unchanged.

#include <cstdint>

#include "framework/data/enumeration.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

// How the samples of a counter are to be read.
struct TypeLiterals {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.type";
  enum Enumerator : std::uint32_t {
    ABSOLUTE,
    DELTA,
    RATE,
    RAW,
    FRACTION,
    LOGN,
    TRACE_SPAN,
    SIMPLE_HISTOGRAM,
    _UNKNOWN
  };
  struct Strings {
    static constexpr const char* values[] = {"ABSOLUTE", "DELTA", "RATE",       "RAW",
                                             "FRACTION", "LOGN",  "TRACE_SPAN", "SIMPLE_HISTOGRAM",
                                             "_UNKNOWN", nullptr};
  };
};
using Type = ::Jorv::Data::Enumeration<TypeLiterals>;

// The physical unit of a counter's samples.
struct UnitLiterals {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.unit";
  enum Enumerator : std::uint32_t {
    PERCENT,
    NUMBER,
    SECOND,
    HERTZ,
    METER,
    METERSPERSECOND,
    METERSPERSECONDSQUARED,
    BYTE,
    BIT,
    BYTESPERSECOND,
    BITSPERSECOND,
    REVSPERMINUTE,
    GRAM,
    CELSIUS,
    KELVIN,
    JOULE,
    WATT,
    VOLT,
    AMPERE,
    VOLTAMPERE,
    CANDELA,
    MOLE,
    _UNKNOWN
  };
  struct Strings {
    static constexpr const char* values[] = {"PERCENT",
                                             "NUMBER",
                                             "SECOND",
                                             "HERTZ",
                                             "METER",
                                             "METERSPERSECOND",
                                             "METERSPERSECONDSQUARED",
                                             "BYTE",
                                             "BIT",
                                             "BYTESPERSECOND",
                                             "BITSPERSECOND",
                                             "REVSPERMINUTE",
                                             "GRAM",
                                             "CELSIUS",
                                             "KELVIN",
                                             "JOULE",
                                             "WATT",
                                             "VOLT",
                                             "AMPERE",
                                             "VOLTAMPERE",
                                             "CANDELA",
                                             "MOLE",
                                             "_UNKNOWN",
                                             nullptr};
  };
};
using Unit = ::Jorv::Data::Enumeration<UnitLiterals>;

// The scale of a unit: the decimal prefixes from the largest through ONE to the smallest, then
// the power-of-two prefixes from the largest down.
struct UnitFactorLiterals {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.unit_factor";
  enum Enumerator : std::uint32_t {
    YOTTA,
    ZETTA,
    EXA,
    PETA,
    TERA,
    GIGA,
    MEGA,
    KILO,
    HECTO,
    DECA,
    ONE,
    DECI,
    CENTI,
    MILLI,
    MICRO,
    NANO,
    PIKO,
    FEMTO,
    ATTO,
    ZEPTO,
    YOCTO,
    YOBI,
    ZEBI,
    EXBI,
    PEBI,
    TEBI,
    GIBI,
    MEBI,
    KIBI,
    _UNKNOWN
  };
  struct Strings {
    static constexpr const char* values[] = {
        "YOTTA", "ZETTA", "EXA",  "PETA",  "TERA",  "GIGA",     "MEGA",  "KILO",
        "HECTO", "DECA",  "ONE",  "DECI",  "CENTI", "MILLI",    "MICRO", "NANO",
        "PIKO",  "FEMTO", "ATTO", "ZEPTO", "YOCTO", "YOBI",     "ZEBI",  "EXBI",
        "PEBI",  "TEBI",  "GIBI", "MEBI",  "KIBI",  "_UNKNOWN", nullptr};
  };
};
using UnitFactor = ::Jorv::Data::Enumeration<UnitFactorLiterals>;

// How the samples of a counter may be combined over an interval.
struct RollupLiterals {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.rollup";
  enum Enumerator : std::uint32_t {
    NONE,
    AVERAGE,
    MAXIMUM,
    MINIMUM,
    LATEST,
    SUMMATION,
    FIRST,
    MEDIAN,
    PERCENTILE99,
    PERCENTILE95,
    PERCENTILE90,
    PERCENTILE05,
    PERCENTILE01,
    _UNKNOWN
  };
  struct Strings {
    static constexpr const char* values[] = {
        "NONE",         "AVERAGE",      "MAXIMUM",      "MINIMUM",      "LATEST",
        "SUMMATION",    "FIRST",        "MEDIAN",       "PERCENTILE99", "PERCENTILE95",
        "PERCENTILE90", "PERCENTILE05", "PERCENTILE01", "_UNKNOWN",     nullptr};
  };
};
using Rollup = ::Jorv::Data::Enumeration<RollupLiterals>;

// How the instances of a counter may be selected by a resource identifier.
struct QueryCapabilitiesLiterals {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.query_capabilities";
  enum Enumerator : std::uint32_t { EQUAL, EQUAL_ALL, _UNKNOWN };
  struct Strings {
    static constexpr const char* values[] = {"EQUAL", "EQUAL_ALL", "_UNKNOWN", nullptr};
  };
};
using QueryCapabilities = ::Jorv::Data::Enumeration<QueryCapabilitiesLiterals>;

// The standing of one edition of a counter.
struct StatusLiterals {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters.status";
  enum Enumerator : std::uint32_t { DEFAULT, CURRENT, DEPRECATED, EXPERIMENTAL, REMOVED, _UNKNOWN };
  struct Strings {
    static constexpr const char* values[] = {"DEFAULT", "CURRENT",  "DEPRECATED", "EXPERIMENTAL",
                                             "REMOVED", "_UNKNOWN", nullptr};
  };
};
using Status = ::Jorv::Data::Enumeration<StatusLiterals>;

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
