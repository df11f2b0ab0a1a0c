#include "examples/stats_demo/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace StatsDemo {
namespace {

namespace Counters = Api::CountersSvc;

using Row = std::vector<std::string>;

void PrintTable(std::ostream& out, const Row& header, const std::vector<Row>& rows) {
  std::vector<std::size_t> widths(header.size(), 0);
  const auto measure = [&widths](const Row& row) {
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], row[i].size());
    }
  };
  measure(header);
  for (const Row& row : rows) measure(row);
  const auto print = [&](const Row& row) {
    out << " ";
    for (std::size_t i = 0; i < row.size(); ++i) {
      out << " " << row[i];
      if (i + 1 < row.size()) out << std::string(widths[i] - row[i].size() + 1, ' ');
    }
    out << "\n";
  };
  print(header);
  for (const Row& row : rows) print(row);
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

double Scale(const Counters::UnitFactor& factor) {
  switch (factor.GetEnumerator()) {
    case Counters::UnitFactor::KIBI:
      return 1024.0;
    case Counters::UnitFactor::MEBI:
      return 1024.0 * 1024.0;
    case Counters::UnitFactor::KILO:
      return 1e3;
    case Counters::UnitFactor::MEGA:
      return 1e6;
    case Counters::UnitFactor::MILLI:
      return 1e-3;
    default:
      return 1.0;
  }
}

std::string Bytes(double bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
  std::size_t unit = 0;
  while (std::fabs(bytes) >= 1024.0 && unit + 1 < std::size(kUnits)) {
    bytes /= 1024.0;
    ++unit;
  }
  return Fixed(bytes, unit == 0 ? 0 : 1) + " " + kUnits[unit];
}

std::string Resource(const Api::Snapshot& snapshot) {
  if (!snapshot.resource_ids || snapshot.resource_ids->empty()) return "host";
  std::string text;
  for (const auto& id : *snapshot.resource_ids) {
    if (!text.empty()) text += ", ";
    text += id->key + " " + id->id_value;
  }
  return text;
}

}  // namespace

std::string FormatQuantity(double value, const Counters::Unit& unit,
                           const Counters::UnitFactor& factor) {
  const double scaled = value * Scale(factor);
  switch (unit.GetEnumerator()) {
    case Counters::Unit::BYTE:
      return Bytes(scaled);
    case Counters::Unit::BYTESPERSECOND:
      return Bytes(scaled) + "/s";
    case Counters::Unit::PERCENT:
      return Fixed(scaled, 1) + " %";
    default:
      return Fixed(scaled, 2);
  }
}

std::vector<Row> CounterRows(const Counters::ListResult& counters) {
  std::vector<Row> rows;
  for (const auto& counter : counters.registered) {
    std::string resource = "host";
    for (const auto& key : counter->rsrc_id_schema) resource = key->key;
    Row row{counter->id, "", "", resource, ""};
    if (!counter->editions.empty()) {
      const auto& edition = *counter->editions.front();
      row[1] = edition.type_info->type.ToString();
      row[2] = edition.unit_info->unit.ToString();
      if (edition.unit_factor_info->unit_factor != Counters::UnitFactor::ONE) {
        row[2] += " x " + edition.unit_factor_info->unit_factor.ToString();
      }
      row[4] = edition.label->default_message;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void PrintCounters(std::ostream& out, const Counters::ListResult& counters) {
  const std::vector<Row> rows = CounterRows(counters);
  PrintTable(out, {"counter", "type", "unit", "per", "what"}, rows);
  if (!counters.unregistered.empty()) {
    out << "  no longer served:";
    for (const std::string& id : counters.unregistered) out << " " << id;
    out << "\n";
  }
}

ResultPrinter::ResultPrinter(const Counters::ListResult& counters,
                             const std::map<long long, std::string>& handles) {
  for (const auto& [handle, id] : handles) {
    Known known{id, nullptr};
    for (const auto& counter : counters.registered) {
      if (counter->id == id && !counter->editions.empty())
        known.edition = counter->editions.front();
    }
    byHandle_[handle] = std::move(known);
  }
}

std::string ResultPrinter::Format(const Api::Value& value,
                                  const boost::optional<double>& number) const {
  if (!number) return "n/a";
  const auto known = byHandle_.find(value.chandle);
  if (known == byHandle_.end() || !known->second.edition) return Fixed(*number, 2);
  const auto& edition = *known->second.edition;
  return FormatQuantity(*number, edition.unit_info->unit, edition.unit_factor_info->unit_factor);
}

std::vector<ValueRow> ResultPrinter::Rows(const Api::Result& result) const {
  std::vector<ValueRow> rows;
  for (const auto& snapshot : result.snapshots) {
    const std::string resource = Resource(*snapshot);
    for (const auto& value : snapshot->values) {
      const auto known = byHandle_.find(value->chandle);
      boost::optional<double> number = value->value;
      if (!number && value->raw) number = static_cast<double>(*value->raw);
      rows.push_back(ValueRow{
          resource,
          known != byHandle_.end() ? known->second.id : "handle " + std::to_string(value->chandle),
          number, Format(*value, number)});
    }
  }
  return rows;
}

void ResultPrinter::Print(std::ostream& out, const Api::Result& result) const {
  out << "Result of " << result.query << " at " << result.timestamp.ToString() << "\n";
  std::vector<Row> rows;
  for (ValueRow& row : Rows(result)) {
    rows.push_back(Row{std::move(row.resource), std::move(row.counter), std::move(row.text)});
  }
  PrintTable(out, {"resource", "counter", "value"}, rows);
  for (const auto& message : result.messages) out << "  note: " << message->default_message << "\n";
}

boost::optional<double> ResultPrinter::Find(const Api::Result& result,
                                            const std::string& counterId) const {
  for (const auto& snapshot : result.snapshots) {
    for (const auto& value : snapshot->values) {
      const auto known = byHandle_.find(value->chandle);
      if (known != byHandle_.end() && known->second.id == counterId) return value->value;
    }
  }
  return boost::none;
}

void PrintPercentChart(std::ostream& out, const std::string& title,
                       const std::vector<boost::optional<double>>& points) {
  constexpr int kWidth = 50;
  out << title << "\n";
  for (std::size_t i = 0; i < points.size(); ++i) {
    out << "  #" << i + 1 << (i + 1 < 10 ? "  " : " ");
    if (!points[i]) {
      out << "   n/a |\n";
      continue;
    }
    const double percent = std::min(100.0, std::max(0.0, *points[i]));
    const int bar = static_cast<int>(std::lround(percent * kWidth / 100.0));
    std::string number = Fixed(percent, 1);
    out << std::string(number.size() < 5 ? 5 - number.size() : 0, ' ') << number << " |"
        << std::string(static_cast<std::size_t>(bar), '#') << "\n";
  }
}

}  // namespace StatsDemo
