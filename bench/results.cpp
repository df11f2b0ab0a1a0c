#include "results.h"

namespace StatsBench {

void Collect(const nlohmann::json& file, std::map<std::string, Run>& runs) {
  for (const auto& entry : file.value("benchmarks", nlohmann::json::array())) {
    std::string name = entry.value("run_name", entry.value("name", ""));
    // Benchmarks timed by the wall clock carry this suffix; the table names them without it.
    const std::string wallClock = "/real_time";
    if (name.size() > wallClock.size() &&
        name.compare(name.size() - wallClock.size(), wallClock.size(), wallClock) == 0) {
      name.resize(name.size() - wallClock.size());
    }
    Run& run = runs[name];
    if (entry.value("error_occurred", false)) {
      run.error = entry.value("error_message", "failed");
      continue;
    }
    const std::string aggregate = entry.value("aggregate_name", "");
    std::map<std::string, double>* into = aggregate == "median" ? &run.median
                                          : aggregate == "cv"   ? &run.cv
                                                                : nullptr;
    if (into == nullptr) continue;
    for (const auto& field : entry.items()) {
      if (field.value().is_number() && field.key() != "iterations" &&
          field.key() != "repetitions" && field.key() != "repetition_index" &&
          field.key() != "threads" && field.key() != "family_index" &&
          field.key() != "per_family_instance_index") {
        (*into)[field.key()] = field.value().get<double>();
      }
    }
  }
}

Cell Look(const std::map<std::string, Run>& runs, const Figure& figure) {
  Cell cell;
  const auto found = runs.find(figure.run);
  if (found == runs.end()) {
    cell.error = "not run";
    return cell;
  }
  const Run& run = found->second;
  const auto median = run.median.find(figure.field);
  if (!run.error.empty() || median == run.median.end()) {
    cell.error = run.error.empty() ? "no " + figure.field : run.error;
    return cell;
  }
  cell.present = true;
  cell.value = median->second * figure.scale;
  const auto cv = run.cv.find(figure.field);
  if (cv != run.cv.end()) cell.cv = cv->second;
  return cell;
}

}  // namespace StatsBench
