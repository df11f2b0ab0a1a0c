#include "framework/text/format.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <vector>

namespace Jorv {
namespace {

using namespace std::string_literals;
using Args = std::vector<std::string>;

const std::error_code kTooManySpecifiers(3, GetFormatCategory());

// Each row: a template, its arguments, the text it gives, and whether a placeholder asked for
// an argument past the last one (which ends the text there).
TEST(FormatTemplate, Table) {
  const Args o{"Opaque"}, x{"X"}, ab{"A", "B"};
  const struct {
    std::string text;
    Args args;
    std::string expected;
    bool tooMany;
  } rows[] = {
      {"The field {1} is unset.", o, "The field Opaque is unset.", false},
      {"<{1:s}>|<{1:}>|<{:}>", {"a", "b", "c"}, "<a>|<a>|<c>", false},
      // The counter advances after every inserted argument, numbered or not.
      {"{}{}", ab, "AB", false},
      {"{1}{1}{}", {"A", "B", "C"}, "AAC", false},
      {"a {} b {} c", x, "a X b ", true},
      // Doubled braces are literal braces.
      {"a{{b}}c{}", o, "a{b}cOpaque", false},
      // An unclosed '{', and a lone '}', take the rest of the text as their body; after a lone
      // '}' only the brace itself is consumed.
      {"[{1:-8", o, "[Opaque  ", false},
      {"a}1b", o, "aOpaque1b", false},
      {"a}2b", x, "a", true},
      // The index is read as strtoull reads it, from at most 20 characters.
      {"{ 4}{+4}{4x}", {"A", "B", "C", "D"}, "DDD", false},
      {"{00000000000000000002}", ab, "B", false},
      {"{}{000000000000000000001}", ab, "AB", false},
      {"<{-1}>", ab, "<", true},
      {"a\0{}\0b"s, o, "a\0Opaque\0b"s, false},
      // printf flags, width and precision, applied to the text only.
      {"[{1:-8}][{1:8}][{1:.3}][{1:-6.2}]", o, "[Opaque  ][  Opaque][Opa][Op    ]", false},
      {"[{1}][{1:-4}][{1:.4}]", {"ab\0cd"s}, "[ab\0cd][ab  ][ab]"s, false},
      // At most 13 characters of options and 6 digits of width or precision; anything else
      // writes the argument unformatted.
      {"[{1:-----------.3}]", o, "[Opa]", false},
      {"[{1:------------.3}][{1:1000000}][{1:.0000003}]", o, "[Opaque][Opaque][Opaque]", false},
      {"[{1:n}{1:%n}{1:*}{1:d}{1:ls}{1:%s%s}{1:1$}{1:8.3.2}]", {"-"}, "[--------]", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    std::vector<const std::string*> pointers;
    for (const std::string& arg : row.args) pointers.push_back(&arg);
    std::error_code error = row.tooMany ? std::error_code() : kTooManySpecifiers;
    EXPECT_EQ(Detail::FormatTemplate(row.text, pointers.data(), pointers.size(), &error),
              row.expected);
    EXPECT_EQ(error, row.tooMany ? kTooManySpecifiers : std::error_code());
  }
  const std::string arg = "Opaque";
  const std::string* args[] = {&arg};
  EXPECT_EQ(Detail::FormatTemplate("{1:999999}", args, 1), std::string(999993, ' ') + arg);
}

}  // namespace
}  // namespace Jorv
