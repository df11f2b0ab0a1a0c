#include "framework/text/format.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace Jorv {

const char* FormatCategory::name() const noexcept { return "JORV Format Error"; }

std::string FormatCategory::message(int code) const {
  switch (static_cast<FormatError>(code)) {
    case FormatError::kNamedArgumentNotFound:
      return "Named argument not found.";
    case FormatError::kEmptyNamedSpecifier:
      return "Empty Named specifier found.";
    case FormatError::kMoreSpecifiersThanExpected:
      return "More specifiers than expected.";
  }
  return "format error";
}

const std::error_category& GetFormatCategory() {
  static const FormatCategory category{};
  return category;
}

namespace Detail {
namespace {

using View = boost::basic_string_view<char>;

// Only this many leading characters of a placeholder's index are read.
constexpr std::size_t kMaxIndexChars = 20;
// "%" + spec + "s" must fit a 16-byte buffer with its terminator.
constexpr std::size_t kMaxSpecChars = 13;
// Caps width and precision at 999999, so a placeholder never asks for gigabytes.
constexpr std::size_t kMaxNumberDigits = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the index of a placeholder exactly as strtoull(text, nullptr, 10) reads it in the C
// locale, without needing a terminated copy: leading blanks skipped, an optional sign, then
// decimal digits up to the first other character. No digits gives 0; overflow gives the
// maximum; a '-' negates modulo 2^64.
unsigned long long ParseIndex(View text) {
  constexpr unsigned long long kMax = std::numeric_limits<unsigned long long>::max();
  text = text.substr(0, kMaxIndexChars);
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  unsigned long long value = 0;
  bool overflow = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    const unsigned digit = static_cast<unsigned>(text[i] - '0');
    if (value > (kMax - digit) / 10) overflow = true;
    value = value * 10 + digit;
  }
  if (overflow) return kMax;
  return negative ? 0 - value : value;
}

// Consumes the decimal digits at `i` and returns how many there were.
std::size_t SkipDigits(View text, std::size_t& i) {
  const std::size_t start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i - start;
}

// True for a spec that printf's %s can take safely: flags "-+ #0", an optional width, an
// optional '.' with an optional precision; no '*', no length modifier, no conversion.
bool IsStringConversionSpec(View spec) {
  if (spec.size() > kMaxSpecChars) return false;
  std::size_t i = 0;
  while (i < spec.size() && View("-+ #0").find(spec[i]) != View::npos) ++i;
  if (SkipDigits(spec, i) > kMaxNumberDigits) return false;
  if (i < spec.size() && spec[i] == '.') {
    ++i;
    if (SkipDigits(spec, i) > kMaxNumberDigits) return false;
  }
  return i == spec.size();
}

// Appends `text` to `out` as formatter<std::string, false>::call writes it.
void AppendArgument(std::string& out, View spec, const std::string& text) {
  if (spec.empty() || spec == "s" || !IsStringConversionSpec(spec)) {
    out += text;
    return;
  }
  char conversion[kMaxSpecChars + 3] = {};
  conversion[0] = '%';
  spec.copy(conversion + 1, spec.size());
  conversion[spec.size() + 1] = 's';
  const int length = std::snprintf(nullptr, 0, conversion, text.c_str());
  if (length < 0) {
    out += text;
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(length));
  std::snprintf(&out[start], static_cast<std::size_t>(length) + 1, conversion, text.c_str());
}

}  // namespace

void formatter<std::string, false>::call(std::ostream& out, boost::basic_string_view<char> spec,
                                         const void* argument) {
  const std::string& text = *static_cast<const std::string*>(argument);
  if (spec.empty() || spec == "s") {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return;
  }
  std::string formatted;
  AppendArgument(formatted, spec, text);
  out.write(formatted.data(), static_cast<std::streamsize>(formatted.size()));
}

std::string FormatTemplate(const std::string& templateText, const std::string* const* args,
                           std::size_t count, std::error_code* error) {
  if (error != nullptr) error->clear();
  std::string out;
  out.reserve(templateText.size());
  View rest(templateText);
  std::size_t counter = 0;
  while (!rest.empty()) {
    const char brace = rest.front();
    if (brace != '{' && brace != '}') {
      const std::size_t run = std::min(rest.find_first_of("{}"), rest.size());
      out.append(rest.data(), run);
      rest.remove_prefix(run);
      continue;
    }
    if (rest.size() > 1 && rest[1] == brace) {
      out += brace;
      rest.remove_prefix(2);
      continue;
    }
    // The body lies between the brace and the first '}'. A lone '}' is its own closing brace
    // (distance 0) and, like an unclosed '{', takes a body running to the end of the text.
    const std::size_t close = rest.find('}');
    const View body =
        close == 0 || close == View::npos ? rest.substr(1) : rest.substr(1, close - 1);
    const std::size_t colon = body.find(':');
    const View spec = colon == View::npos ? View() : body.substr(colon + 1);
    const unsigned long long index = ParseIndex(body.substr(0, colon));
    const unsigned long long argument = index == 0 ? counter : index - 1;
    if (argument >= count) {
      if (error != nullptr) {
        *error = std::error_code(static_cast<int>(FormatError::kMoreSpecifiersThanExpected),
                                 GetFormatCategory());
      }
      break;
    }
    AppendArgument(out, spec, *args[argument]);
    ++counter;
    rest.remove_prefix(close == View::npos ? rest.size() : close + 1);
  }
  return out;
}

}  // namespace Detail
}  // namespace Jorv
