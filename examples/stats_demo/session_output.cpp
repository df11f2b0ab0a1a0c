#include "examples/stats_demo/session_output.h"

#include <utility>

#include <boost/json.hpp>

namespace StatsDemo {
namespace {

class TextOutput final : public SessionOutput {
 public:
  TextOutput(std::ostream& out, std::ostream& errors) : out_(out), errors_(errors) {}

  void Counters(const Api::CountersSvc::ListResult& counters) override {
    out_ << "Counters of this host (" << counters.registered.size() << "):\n";
    PrintCounters(out_, counters);
  }
  void QueryCreated(const std::string& query, const ResultPrinter& printer) override {
    printer_ = &printer;
    out_ << "\nCreated query " << query << ".\n";
  }
  void Result(const Api::Result& result, long index, long count) override {
    if (index == 0) {
      out_ << "\nExecuted once:\n";
    } else {
      out_ << "\nStream result " << index << " of " << count << ":\n";
    }
    printer_->Print(out_, result);
  }
  void CpuChart(const std::vector<boost::optional<double>>& points) override {
    out_ << "\n";
    PrintPercentChart(out_, "CPU use of all CPUs, per stream result:", points);
  }
  void Deleted(const std::string& query) override {
    out_ << "\nDeleted the stream and query " << query << ".\n";
  }
  void Listening(const std::string& address) override {
    out_ << "Serving this host's statistics on " << address << "\n" << std::flush;
  }
  void Stopped() override { out_ << "Stopped serving.\n"; }
  void Failure(const std::string& text) override { errors_ << "stats-demo: " << text << "\n"; }

 private:
  std::ostream& out_;
  std::ostream& errors_;
  const ResultPrinter* printer_ = nullptr;
};

class JsonOutput final : public SessionOutput {
 public:
  explicit JsonOutput(std::ostream& out) : out_(out) {}

  void Counters(const Api::CountersSvc::ListResult& counters) override {
    boost::json::array rows;
    for (const auto& row : CounterRows(counters)) {
      rows.push_back(
          {{"id", row[0]}, {"type", row[1]}, {"unit", row[2]}, {"per", row[3]}, {"label", row[4]}});
    }
    boost::json::array gone;
    for (const std::string& id : counters.unregistered) gone.push_back(boost::json::value(id));
    Emit({{"event", "counters"}, {"counters", std::move(rows)}, {"unregistered", std::move(gone)}});
  }
  void QueryCreated(const std::string& query, const ResultPrinter& printer) override {
    printer_ = &printer;
    Emit({{"event", "query"}, {"query", query}});
  }
  void Result(const Api::Result& result, long index, long count) override {
    boost::json::array values;
    for (const ValueRow& row : printer_->Rows(result)) {
      boost::json::object value{
          {"resource", row.resource}, {"counter", row.counter}, {"text", row.text}};
      value["value"] = row.value ? boost::json::value(*row.value) : boost::json::value(nullptr);
      values.push_back(std::move(value));
    }
    boost::json::array notes;
    for (const auto& message : result.messages) {
      notes.push_back(boost::json::value(message->default_message));
    }
    boost::json::object event{
        {"event", "result"},           {"source", index == 0 ? "execute" : "stream"},
        {"query", result.query},       {"timestamp", result.timestamp.ToString()},
        {"values", std::move(values)}, {"notes", std::move(notes)}};
    if (index > 0) {
      event["index"] = index;
      event["count"] = count;
    }
    Emit(std::move(event));
  }
  void CpuChart(const std::vector<boost::optional<double>>& points) override {
    boost::json::array cpu;
    for (const auto& point : points) {
      cpu.push_back(point ? boost::json::value(*point) : boost::json::value(nullptr));
    }
    Emit({{"event", "cpu"}, {"percent", std::move(cpu)}});
  }
  void Deleted(const std::string& query) override {
    Emit({{"event", "deleted"}, {"query", query}});
  }
  void Listening(const std::string& address) override {
    Emit({{"event", "listening"}, {"address", address}});
  }
  void Stopped() override { Emit({{"event", "stopped"}}); }
  void Failure(const std::string& text) override { Emit({{"event", "error"}, {"message", text}}); }

 private:
  void Emit(boost::json::object event) {
    out_ << boost::json::serialize(event) << "\n" << std::flush;
  }

  std::ostream& out_;
  const ResultPrinter* printer_ = nullptr;
};

}  // namespace

std::unique_ptr<SessionOutput> MakeTextOutput(std::ostream& out, std::ostream& errors) {
  return std::make_unique<TextOutput>(out, errors);
}

std::unique_ptr<SessionOutput> MakeJsonOutput(std::ostream& out) {
  return std::make_unique<JsonOutput>(out);
}

}  // namespace StatsDemo
