#include "examples/stats_demo/host_sample.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include "examples/stats_demo/demo_messages.h"

namespace StatsDemo {
namespace {

// Files under /proc are small; anything beyond this is not what we expect and is cut off.
constexpr std::size_t kMaxFileBytes = 1 << 20;

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    const std::size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// A decimal unsigned 64-bit number, the whole text; none on anything else or on overflow.
boost::optional<std::uint64_t> Unsigned(const std::string& text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, value);
  if (text.empty() || parsed.ec != std::errc() || parsed.ptr != end) return boost::none;
  return value;
}

// A finite, non-negative decimal number, the whole text.
boost::optional<double> NonNegative(const std::string& text) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double value = 0;
  if (!(in >> value) || in.peek() != std::char_traits<char>::eof()) return boost::none;
  if (!std::isfinite(value) || value < 0) return boost::none;
  return value;
}

bool AddChecked(std::uint64_t& sum, std::uint64_t term) {
  if (sum > std::numeric_limits<std::uint64_t>::max() - term) return false;
  sum += term;
  return true;
}

void Malformed(HostSample& sample, const std::string& path, std::size_t lineNumber) {
  sample.problems.push_back(
      DemoMessage(MessageIds::kProcMalformed, path, std::to_string(lineNumber)));
}

void Missing(HostSample& sample, const std::string& path, const std::string& what) {
  sample.problems.push_back(DemoMessage(MessageIds::kProcMissing, path, what));
}

template <class Visit>
void ForEachLine(const std::string& text, Visit visit) {
  std::istringstream in(text);
  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) visit(line, number);
}

// "cpu" or "cpuN": the CPU's name in a sample, or none for any other first word.
boost::optional<std::string> CpuName(const std::string& word) {
  if (word.compare(0, 3, "cpu") != 0) return boost::none;
  if (word.size() == 3) return std::string(kAllCpus);
  const std::string number = word.substr(3);
  if (!Unsigned(number)) return boost::none;
  return number;
}

// user nice system idle [iowait irq softirq steal [guest guest_nice]]; guest time is already
// part of user time and is not counted twice.
boost::optional<CpuTimes> CpuLine(const std::vector<std::string>& words) {
  if (words.size() < 5) return boost::none;
  CpuTimes times;
  std::uint64_t idle = 0;
  for (std::size_t i = 1; i < words.size() && i <= 8; ++i) {
    const auto ticks = Unsigned(words[i]);
    if (!ticks || !AddChecked(times.total, *ticks)) return boost::none;
    if (i == 4 || i == 5) idle += *ticks;  // idle, iowait: cannot overflow, total did not
  }
  for (std::size_t i = 9; i < words.size(); ++i) {
    if (!Unsigned(words[i])) return boost::none;
  }
  times.busy = times.total - idle;
  return times;
}

std::string ReadFile(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  if (!ok) return {};
  std::string text(kMaxFileBytes, '\0');
  in.read(&text[0], static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

}  // namespace

void ParseCpuStat(const std::string& text, const std::string& path, HostSample& sample) {
  ForEachLine(text, [&](const std::string& line, std::size_t number) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return;
    const auto name = CpuName(words[0]);
    if (!name) return;
    const auto times = CpuLine(words);
    if (!times) return Malformed(sample, path, number);
    sample.cpus[*name] = *times;
  });
  if (sample.cpus.count(kAllCpus) == 0) Missing(sample, path, "cpu");
}

void ParseMeminfo(const std::string& text, const std::string& path, HostSample& sample) {
  ForEachLine(text, [&](const std::string& line, std::size_t number) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return;
    boost::optional<std::uint64_t>* target = nullptr;
    if (words[0] == "MemTotal:") target = &sample.memoryTotalKib;
    if (words[0] == "MemAvailable:") target = &sample.memoryAvailableKib;
    if (!target) return;
    const auto kib = words.size() >= 2 ? Unsigned(words[1]) : boost::none;
    const bool unitOk = words.size() == 2 || (words.size() == 3 && words[2] == "kB");
    if (!kib || !unitOk) return Malformed(sample, path, number);
    *target = *kib;
  });
  if (!sample.memoryTotalKib) Missing(sample, path, "MemTotal");
  if (!sample.memoryAvailableKib) Missing(sample, path, "MemAvailable");
}

void ParseLoadavg(const std::string& text, const std::string& path, HostSample& sample) {
  const std::vector<std::string> words = Words(text.substr(0, text.find('\n')));
  std::array<double, 3> load{};
  for (std::size_t i = 0; i < load.size(); ++i) {
    const auto value = i < words.size() ? NonNegative(words[i]) : boost::none;
    if (!value) return Malformed(sample, path, 1);
    load[i] = *value;
  }
  sample.load = load;
}

void ParseNetDev(const std::string& text, const std::string& path, HostSample& sample) {
  ForEachLine(text, [&](const std::string& line, std::size_t number) {
    const std::size_t colon = line.find(':');
    // The two header lines have no colon; "Inter-|" and " face |" are skipped that way.
    if (colon == std::string::npos) return;
    const std::vector<std::string> name = Words(line.substr(0, colon));
    const std::vector<std::string> fields = Words(line.substr(colon + 1));
    // rx: bytes packets errs drop fifo frame compressed multicast; tx: bytes ...
    const auto received = fields.size() >= 9 ? Unsigned(fields[0]) : boost::none;
    const auto sent = fields.size() >= 9 ? Unsigned(fields[8]) : boost::none;
    if (name.size() != 1 || !received || !sent) return Malformed(sample, path, number);
    sample.interfaces[name[0]] = InterfaceBytes{*received, *sent};
  });
}

HostSample ReadHostSample(const std::string& procRoot, std::int64_t takenMillis) {
  HostSample sample;
  sample.takenMillis = takenMillis;
  using Parser = void (*)(const std::string&, const std::string&, HostSample&);
  const std::pair<const char*, Parser> files[] = {{"/stat", &ParseCpuStat},
                                                  {"/meminfo", &ParseMeminfo},
                                                  {"/loadavg", &ParseLoadavg},
                                                  {"/net/dev", &ParseNetDev}};
  for (const auto& file : files) {
    const std::string path = procRoot + file.first;
    bool ok = false;
    const std::string text = ReadFile(path, ok);
    if (!ok) {
      sample.problems.push_back(DemoMessage(MessageIds::kProcUnreadable, path));
      continue;
    }
    file.second(text, path, sample);
  }
  return sample;
}

}  // namespace StatsDemo
