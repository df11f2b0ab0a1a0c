#include "framework/text/format.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace Jorv {
namespace {

const std::error_code kTooManySpecifiers(3, GetFormatCategory());

// Formats `text` with `args`; `error` receives the formatter's error code.
std::string Format(const std::string& text, std::initializer_list<std::string> args,
                   std::error_code* error = nullptr) {
  const std::vector<std::string> values(args);
  std::vector<const std::string*> pointers;
  for (const std::string& value : values) pointers.push_back(&value);
  return Detail::FormatTemplate(text, pointers.data(), pointers.size(), error);
}

// Formats `text` with the single argument "Opaque" and checks that no error is reported.
std::string FormatOpaque(const std::string& text) {
  std::error_code error = kTooManySpecifiers;
  std::string result = Format(text, {"Opaque"}, &error);
  EXPECT_FALSE(error) << "template: " << text;
  return result;
}

TEST(FormatCategory, NameAndMessages) {
  const std::error_category& category = GetFormatCategory();
  EXPECT_EQ(&category, &GetFormatCategory());
  EXPECT_STREQ(category.name(), "JORV Format Error");
  EXPECT_EQ(category.message(1), "Named argument not found.");
  EXPECT_EQ(category.message(2), "Empty Named specifier found.");
  EXPECT_EQ(category.message(3), "More specifiers than expected.");
  EXPECT_EQ(category.message(0), "format error");
  EXPECT_EQ(category.message(4), "format error");
  EXPECT_EQ(category.message(-1), "format error");
}

TEST(FormatTemplate, PlaceholdersInsertTheArgument) {
  EXPECT_EQ(FormatOpaque("The field {1} is unset."), "The field Opaque is unset.");
  EXPECT_EQ(FormatOpaque("<{}>"), "<Opaque>");
  EXPECT_EQ(FormatOpaque("<{1:s}>"), "<Opaque>");
  EXPECT_EQ(FormatOpaque("<{1:}>"), "<Opaque>");
  EXPECT_EQ(FormatOpaque("<{:}>"), "<Opaque>");
  EXPECT_EQ(FormatOpaque("{1} and {1}"), "Opaque and Opaque");
  EXPECT_EQ(FormatOpaque("No placeholder here."), "No placeholder here.");
  EXPECT_EQ(FormatOpaque(""), "");
  EXPECT_EQ(Format("{2}-{1}", {"A", "B"}), "B-A");
}

TEST(FormatTemplate, CounterAdvancesAfterEveryInsertedArgument) {
  EXPECT_EQ(Format("{}{}", {"A", "B"}), "AB");
  EXPECT_EQ(Format("{2}{}", {"A", "B"}), "BB");
  EXPECT_EQ(Format("{1}{1}{}", {"A", "B", "C"}), "AAC");
}

TEST(FormatTemplate, PlaceholderPastTheLastArgumentEndsTheText) {
  std::error_code error;
  EXPECT_EQ(Format("a {} b {} c", {"X"}, &error), "a X b ");
  EXPECT_EQ(error, kTooManySpecifiers);
  EXPECT_EQ(error.message(), "More specifiers than expected.");

  error.clear();
  EXPECT_EQ(Format("before {2} after {1}", {"X"}, &error), "before ");
  EXPECT_EQ(error, kTooManySpecifiers);

  error.clear();
  EXPECT_EQ(Format("nothing to fill {}", {}, &error), "nothing to fill ");
  EXPECT_EQ(error, kTooManySpecifiers);

  // Without an error_code the text is cut all the same.
  EXPECT_EQ(Format("x{2}y", {"X"}), "x");

  // A later successful call clears the code.
  Format("{1}", {"X"}, &error);
  EXPECT_FALSE(error);
}

TEST(FormatTemplate, DoubledBracesWriteOneBraceAndTakeNoArgument) {
  EXPECT_EQ(FormatOpaque("{{1}}"), "{1}");
  EXPECT_EQ(FormatOpaque("}}"), "}");
  EXPECT_EQ(FormatOpaque("{{"), "{");
  EXPECT_EQ(FormatOpaque("a{{b}}c{}"), "a{b}cOpaque");
  EXPECT_EQ(FormatOpaque("{{{1}}}"), "{Opaque}");
}

TEST(FormatTemplate, UnclosedOpeningBraceTakesTheRestAsItsBody) {
  EXPECT_EQ(FormatOpaque("ends with {"), "ends with Opaque");
  EXPECT_EQ(FormatOpaque("{"), "Opaque");
  EXPECT_EQ(FormatOpaque("{1:"), "Opaque");
  EXPECT_EQ(FormatOpaque("[{1:-8"), "[Opaque  ");
  EXPECT_EQ(FormatOpaque("[{1 and more text"), "[Opaque");

  std::error_code error;
  EXPECT_EQ(Format("{1} then {", {"X"}, &error), "X then ");
  EXPECT_EQ(error, kTooManySpecifiers);
}

TEST(FormatTemplate, LoneClosingBraceTakesTheRestAsItsBody) {
  // The body after a lone '}' runs to the end of the text and is read as an index and options,
  // but only the brace itself is consumed: the text after it is written as usual.
  EXPECT_EQ(FormatOpaque("a}b"), "aOpaqueb");
  EXPECT_EQ(FormatOpaque("a}1b"), "aOpaque1b");
  EXPECT_EQ(FormatOpaque("a}"), "aOpaque");
  EXPECT_EQ(FormatOpaque("}"), "Opaque");

  std::error_code error;
  EXPECT_EQ(Format("a}2b", {"X"}, &error), "a");
  EXPECT_EQ(error, kTooManySpecifiers);

  // After "{}" the trailing '}' is a lone brace wanting a second argument.
  error.clear();
  EXPECT_EQ(Format("{}}", {"X"}, &error), "X");
  EXPECT_EQ(error, kTooManySpecifiers);
}

TEST(FormatTemplate, IndexIsReadLikeStrtoull) {
  EXPECT_EQ(Format("{ 4}{\t\n4}{+4}{4x}", {"A", "B", "C", "D", "E"}), "DDDD");
  EXPECT_EQ(Format("{2}{x}", {"A", "B"}), "BB");
  EXPECT_EQ(Format("{-0}", {"A"}), "A");
  EXPECT_EQ(Format("{+}{ }", {"A", "B"}), "AB");
  EXPECT_EQ(Format(std::string("{1\0002}", 5), {"A", "B"}), "A");

  // Exactly 20 characters are read: a leading 21st digit is ignored.
  EXPECT_EQ(Format("{00000000000000000002}", {"A", "B"}), "B");
  EXPECT_EQ(Format("{}{000000000000000000001}", {"A", "B"}), "AB");
}

TEST(FormatTemplate, NegativeAndHugeIndicesEndTheText) {
  for (const char* text : {"<{-1}>", "<{18446744073709551615}>", "<{18446744073709551616}>",
                           "<{99999999999999999999999}>", "<{99999999999999999999999"}) {
    std::error_code error;
    EXPECT_EQ(Format(text, {"A", "B"}, &error), "<") << text;
    EXPECT_EQ(error, kTooManySpecifiers) << text;
  }
}

TEST(FormatTemplate, NulCharactersInTheTemplateAreKept) {
  EXPECT_EQ(FormatOpaque(std::string("a\0{}\0b", 6)), std::string("a\0Opaque\0b", 10));
}

TEST(FormatTemplate, PrintfFlagsWidthAndPrecisionPadAndCut) {
  EXPECT_EQ(FormatOpaque("[{1:-8}]"), "[Opaque  ]");
  EXPECT_EQ(FormatOpaque("[{1:8}]"), "[  Opaque]");
  EXPECT_EQ(FormatOpaque("[{1:.3}]"), "[Opa]");
  EXPECT_EQ(FormatOpaque("[{:-6.2}]"), "[Op    ]");
  EXPECT_EQ(FormatOpaque("[{1:- 8}]"), "[Opaque  ]");
  EXPECT_EQ(FormatOpaque("[{1:3}]"), "[Opaque]");
  EXPECT_EQ(FormatOpaque("[{1:-}]"), "[Opaque]");
  EXPECT_EQ(FormatOpaque("[{1:.}]"), "[]");
  EXPECT_EQ(FormatOpaque("[{1:.000003}]"), "[Opa]");

  const std::string wide = FormatOpaque("{1:999999}");
  ASSERT_EQ(wide.size(), 999999u);
  EXPECT_EQ(wide.substr(999993), "Opaque");
  EXPECT_EQ(wide.find_first_not_of(' '), 999993u);
}

TEST(FormatTemplate, EmbeddedNulIsKeptUnlessPrintfFormattingCutsAtIt) {
  const std::string argument("ab\0cd", 5);
  EXPECT_EQ(Format("[{1}]", {argument}), std::string("[ab\0cd]", 7));
  EXPECT_EQ(Format("[{1:s}]", {argument}), std::string("[ab\0cd]", 7));
  EXPECT_EQ(Format("[{1:-4}]", {argument}), "[ab  ]");
  EXPECT_EQ(Format("[{1:.4}]", {argument}), "[ab]");
}

TEST(FormatTemplate, AnythingButFlagsWidthAndPrecisionWritesTheArgumentUnformatted) {
  for (const char* text : {"[{1:n}]", "[{1:%n}]", "[{1:hhn}]", "[{1:*}]", "[{1:.*}]", "[{1:-*.*}]",
                           "[{1:d}]", "[{1:ls}]", "[{1:8s}]", "[{1:ss}]", "[{1:%s%s%s}]",
                           "[{1:1$}]", "[{1:8.3.2}]", "[{1:x:y}]"}) {
    EXPECT_EQ(FormatOpaque(text), "[Opaque]") << text;
  }
  EXPECT_EQ(FormatOpaque(std::string("[{1:-8\0}]", 9)), "[Opaque]");
  EXPECT_EQ(FormatOpaque(std::string("[{1:\0}]", 7)), "[Opaque]");
}

TEST(FormatTemplate, PrintfOptionsAreLimitedToThirteenCharactersAndSixDigits) {
  EXPECT_EQ(FormatOpaque("[{1:-----------.3}]"), "[Opa]");      // 13 characters
  EXPECT_EQ(FormatOpaque("[{1:------------.3}]"), "[Opaque]");  // 14 characters
  EXPECT_EQ(FormatOpaque("[{1:1000000}]"), "[Opaque]");
  EXPECT_EQ(FormatOpaque("[{1:.0000003}]"), "[Opaque]");
  EXPECT_EQ(FormatOpaque("[{1:9999999999999}]"), "[Opaque]");
  EXPECT_EQ(FormatOpaque("[{1:2147483648.1}]"), "[Opaque]");
}

TEST(FormatterCall, WritesToTheStream) {
  const std::string argument("ab\0cd", 5);
  const auto written = [&](boost::basic_string_view<char> spec) {
    std::ostringstream out;
    out << '[';
    Detail::formatter<std::string, false>::call(out, spec, &argument);
    out << ']';
    EXPECT_TRUE(out.good());
    return out.str();
  };
  EXPECT_EQ(written(""), std::string("[ab\0cd]", 7));
  EXPECT_EQ(written("s"), std::string("[ab\0cd]", 7));
  EXPECT_EQ(written("5"), "[   ab]");
  EXPECT_EQ(written("n"), std::string("[ab\0cd]", 7));
  EXPECT_EQ(written("%n"), std::string("[ab\0cd]", 7));
}

}  // namespace
}  // namespace Jorv
