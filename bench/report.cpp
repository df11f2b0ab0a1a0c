// stats_bench_report: reads the JSON files that bench/run.sh collected (one Google Benchmark
// output per benchmark, with median and coefficient-of-variation aggregates, and the depth
// probe's limits) and prints one table of our figures beside the peers' and their ratios.
//
//   stats_bench_report RESULTS_DIR

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "results.h"
#include "sample_records.h"

namespace {

using StatsBench::Cell;
using StatsBench::Collect;
using StatsBench::Look;
using StatsBench::Run;

std::string Number(double value) {
  char text[32];
  if (value >= 1000) {
    std::snprintf(text, sizeof text, "%.0f", value);
  } else if (value >= 10) {
    std::snprintf(text, sizeof text, "%.1f", value);
  } else {
    std::snprintf(text, sizeof text, "%.3g", value);
  }
  return text;
}

std::string Spread(const Cell& cell) {
  if (!cell.present || std::isnan(cell.cv)) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100 * cell.cv);
  return text;
}

// "123 (4.5%)": the median with its spread, or the reason there is none.
std::string WithSpread(const Cell& cell) {
  if (!cell.present) return "(" + cell.error + ")";
  return Number(cell.value) + " (" + Spread(cell) + ")";
}

std::string Ratio(const Cell& ours, const Cell& peer) {
  if (!ours.present || !peer.present || peer.value == 0) return "-";
  return Number(ours.value / peer.value);
}

void PrintRow(const std::string& label, const std::string& unit, const Cell& ours,
              const Cell* peer) {
  const std::string o = ours.present ? Number(ours.value) : "(" + ours.error + ")";
  std::string p = "-";
  std::string ratio = "-";
  if (peer != nullptr) {
    p = peer->present ? Number(peer->value) : "(" + peer->error + ")";
    ratio = Ratio(ours, *peer);
  }
  const std::string spread = Spread(ours) + " / " + (peer != nullptr ? Spread(*peer) : "-");
  std::printf("%-56s %-11s %10s %10s %15s %9s\n", label.c_str(), unit.c_str(), o.c_str(), p.c_str(),
              spread.c_str(), ratio.c_str());
}

void Compare(const std::map<std::string, Run>& runs, const std::string& label,
             const std::string& unit, const StatsBench::Figure& ours,
             const StatsBench::Figure& peer) {
  const Cell peerCell = Look(runs, peer);
  PrintRow(label, unit, Look(runs, ours), &peerCell);
}

const char* PeerName(const std::string& peer) {
  if (peer == "nlohmann") return "nlohmann";
  if (peer == "boost_json") return "Boost.JSON";
  return "Boost.JSON+arena";
}

// One row per conversion direction and shape: our figure `field` and each peer's with our ratio
// to it.
void PrintMatrix(const std::map<std::string, Run>& runs, const char* title, const char* field,
                 double scale, const StatsBench::Shape* first, const StatsBench::Shape* last,
                 std::initializer_list<const char*> directions = {"round_trip", "value_to_native",
                                                                  "native_to_value"}) {
  const char* const peers[] = {"nlohmann", "boost_json", "boost_json_arena"};
  std::printf("\n%-26s %15s", title, "ours");
  for (const char* peer : peers) std::printf(" %17s %7s", PeerName(peer), "ratio");
  std::printf("\n%s\n", std::string(26 + 16 + 3 * 26, '-').c_str());
  for (const char* direction : directions) {
    for (const StatsBench::Shape* shape = first; shape != last; ++shape) {
      const std::string prefix = "convert/" + std::string(direction) + "/";
      const std::string size = StatsBench::ShapeName(*shape);
      const Cell ours = Look(runs, {prefix + "ours/" + size, field, scale});
      std::printf("%-26s %15s", (std::string(direction) + " " + size).c_str(),
                  WithSpread(ours).c_str());
      for (const char* peer : peers) {
        const Cell theirs = Look(runs, {prefix + peer + "/" + size, field, scale});
        std::printf(" %17s %7s", WithSpread(theirs).c_str(), Ratio(ours, theirs).c_str());
      }
      std::printf("\n");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: stats_bench_report RESULTS_DIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::map<std::string, Run> runs;
  nlohmann::json depth = nlohmann::json::array();
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".json") continue;
    std::ifstream in(entry.path());
    nlohmann::json file = nlohmann::json::parse(in, nullptr, false);
    if (file.is_discarded()) {
      std::cerr << "report: skipping unreadable " << entry.path() << "\n";
    } else if (entry.path().filename() == "depth.json") {
      depth = file;
    } else {
      Collect(file, runs);
    }
  }

  PrintMatrix(runs, "ns per value (cv)", "per_value", 1e9, std::begin(StatsBench::kShapes),
              std::end(StatsBench::kShapes));
  // Allocations and tree sizes do not vary between repetitions; one shape shows them.
  const StatsBench::Shape* large = &StatsBench::kShapes[2];
  PrintMatrix(runs, "allocations per value", "allocs_per_value", 1, large, large + 1);
  PrintMatrix(runs, "nodes per tree", "nodes", 1, large, large + 1, {"native_to_value"});

  std::printf("\n%-56s %-11s %10s %10s %15s %9s\n", "measure (median of repetitions)", "unit",
              "ours", "peer", "cv ours / peer", "ours/peer");
  std::printf("%s\n", std::string(116, '-').c_str());
  Compare(runs, "Queries get vs gRPC unary (in-process)", "ns/call",
          {"call/queries_get/ours", "real_time"}, {"call/queries_get/grpc_unary", "real_time"});
  Compare(runs, "stream item vs gRPC stream message", "ns/item",
          {"call/stream_item/ours", "real_time"}, {"call/stream_item/grpc_stream", "real_time"});
  Compare(runs, "Queries get vs gRPC unary (loopback TCP)", "ns/call",
          {"call/queries_get_loopback/ours", "real_time"},
          {"call/queries_get_loopback/grpc_unary", "real_time"});
  Compare(runs, "stream item vs gRPC stream message (loopback TCP)", "ns/item",
          {"call/stream_item_loopback/ours", "real_time"},
          {"call/stream_item_loopback/grpc_stream", "real_time"});
  for (const char* run :
       {"define/result", "define/all_methods", "bind/counters", "bind/queries", "bind/stream"}) {
    PrintRow(std::string(run) + " (no peer)", "ns", Look(runs, {run, "real_time"}), nullptr);
  }

  Cell oursDepth;
  std::map<std::string, Cell> peerDepth;
  for (const auto& limit : depth) {
    Cell cell;
    cell.present = true;
    cell.value = limit.value("deepest", 0.0);
    const std::string library = limit.value("library", "");
    if (library == "ours") {
      oursDepth = cell;
      if (limit.value("first_failure", 0) != 0) oursDepth.error = "failed";
    } else {
      peerDepth[library] = cell;
    }
  }
  for (const auto& peer : peerDepth) {
    const Cell& ours = oursDepth.present ? oursDepth : Cell{false, 0, NAN, "not probed"};
    PrintRow(std::string("deepest nesting converted both ways vs ") + PeerName(peer.first),
             "levels", ours, &peer.second);
  }
  if (peerDepth.empty()) std::printf("depth: no limits found in %s\n", dir.c_str());
  for (const auto& limit : depth) {
    std::printf(
        "  depth %-10s converts %ld levels; %s\n", limit.value("library", "").c_str(),
        limit.value("deepest", 0L),
        limit.value("first_failure", 0L) == 0
            ? ("no failure up to the cap of " + std::to_string(limit.value("cap", 0L))).c_str()
            : ("first failure at " + std::to_string(limit.value("first_failure", 0L))).c_str());
  }
  std::printf(
      "\nConversions: CPU time per Value element of the sample Result, allocations counted by the\n"
      "benchmark's operator new per node of the tree produced or consumed (each library's own\n"
      "nodes). Calls: wall-clock time per call or per streamed item. cv: coefficient of variation\n"
      "over the repetitions. Depth: ours is probed only up to its cap.\n");
  return 0;
}
