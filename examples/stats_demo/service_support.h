#pragma once
// Completing a call's result object from a HostStats answer: the failure when there is one,
// else the output.

#include <utility>

#include "examples/stats_demo/host_stats.h"

namespace StatsDemo {

template <class ResultObject, class Output>
void Complete(const ResultObject& result, const Failure& failure, const Output& output) {
  if (failure) {
    result.error(*failure);
  } else {
    result(output);
  }
}

}  // namespace StatsDemo
