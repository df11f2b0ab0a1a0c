#pragma once
// Values::SimpleHistogram: a histogram sample as two lists of doubles, the bins and the values.
// The lists travel as they are; nothing relates their lengths or orders the bins.

#include <list>

#include "framework/data/native.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace Values {

struct SimpleHistogram : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.zentak.stats.provider.values.simple_histogram";

  std::list<double> bins;
  std::list<double> values;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("bins", &SimpleHistogram::bins);
      f.Field("values", &SimpleHistogram::values);
    }
  };
};

}  // namespace Values
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
