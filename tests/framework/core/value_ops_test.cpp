#include "framework/core/value_ops.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <limits>
#include <sstream>
#include <string>

#include "support/small_stack.h"

namespace Jorv {
namespace Data {
namespace {

DataValuePtr Int(long long v) { return DataValue::Create(v); }
DataValuePtr Str(const std::string& v) { return DataValue::Create(v); }

std::shared_ptr<StructValue> Point(long long x, long long y) {
  auto point = StructValue::GetInstance("com.example.point");
  point->SetField("x", Int(x));
  point->SetField("y", Int(y));
  return point;
}

std::shared_ptr<ListValue> List(int kind, std::initializer_list<DataValuePtr> elements) {
  auto list = ListValue::GetInstance(kind);
  for (const auto& element : elements) list->Append(element);
  return list;
}

DataValuePtr Some(DataValuePtr v) {
  auto optional = OptionalValue::GetInstance();
  optional->value(std::move(v));
  return optional;
}

TEST(Equals, PrimitivesCompareCodeAndHeldValue) {
  EXPECT_TRUE(Equals(Int(3), Int(3)));
  EXPECT_FALSE(Equals(Int(3), Int(4)));
  EXPECT_FALSE(Equals(Int(1), DataValue::Create(1.0)));
  EXPECT_FALSE(Equals(Int(1), DataValue::Create(true)));
  EXPECT_FALSE(Equals(Str("p"), SecretValue::GetInstance("p")));
  EXPECT_TRUE(Equals(SecretValue::GetInstance("p"), SecretValue::GetInstance("p")));
  EXPECT_TRUE(Equals(BlobValue::GetInstance({1, 2}), BlobValue::GetInstance({1, 2})));
  EXPECT_FALSE(Equals(BlobValue::GetInstance({1, 2}), BlobValue::GetInstance({1, 3})));
  EXPECT_TRUE(Equals(VoidValue::GetInstance(), VoidValue::GetInstance()));
  EXPECT_TRUE(Equals(DataValue::Create(0.0), DataValue::Create(-0.0)));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(Equals(DataValue::Create(nan), DataValue::Create(nan)));
  EXPECT_TRUE(Equals(nullptr, nullptr));
  EXPECT_FALSE(Equals(nullptr, Int(0)));
  EXPECT_FALSE(Equals(Int(0), nullptr));
}

TEST(Equals, StructuresCompareCodeNameAndFields) {
  EXPECT_TRUE(Equals(Point(1, 2), Point(1, 2)));
  EXPECT_FALSE(Equals(Point(1, 2), Point(1, 3)));

  auto renamed = StructValue::GetInstance("com.example.other");
  renamed->SetField("x", Int(1));
  renamed->SetField("y", Int(2));
  EXPECT_FALSE(Equals(Point(1, 2), renamed));

  auto dynamic = StructValue::GetDynamicInstance("com.example.point");
  dynamic->SetField("x", Int(1));
  dynamic->SetField("y", Int(2));
  EXPECT_FALSE(Equals(Point(1, 2), dynamic));

  auto error = ErrorValue::GetInstance("com.example.point");
  error->SetField("x", Int(1));
  error->SetField("y", Int(2));
  EXPECT_FALSE(Equals(Point(1, 2), error));

  auto otherField = StructValue::GetInstance("com.example.point");
  otherField->SetField("x", Int(1));
  otherField->SetField("z", Int(2));
  EXPECT_FALSE(Equals(Point(1, 2), otherField));

  auto extra = Point(1, 2);
  extra->SetField("z", Int(3));
  EXPECT_FALSE(Equals(Point(1, 2), extra));
  EXPECT_FALSE(Equals(extra, Point(1, 2)));

  auto unsetField = Point(1, 2);
  unsetField->SetField("y", nullptr);
  EXPECT_FALSE(Equals(Point(1, 2), unsetField));
}

TEST(Equals, ListsAndOptionals) {
  EXPECT_TRUE(Equals(List(1, {Int(1), Str("a")}), List(1, {Int(1), Str("a")})));
  EXPECT_FALSE(Equals(List(1, {Int(1), Str("a")}), List(1, {Str("a"), Int(1)})));
  EXPECT_FALSE(Equals(List(1, {Int(1)}), List(3, {Int(1)})));
  EXPECT_FALSE(Equals(List(1, {Int(1)}), List(1, {Int(1), Int(1)})));
  EXPECT_TRUE(Equals(List(1, {}), List(1, {})));

  EXPECT_TRUE(Equals(OptionalValue::GetInstance(), OptionalValue::GetInstance()));
  EXPECT_TRUE(Equals(Some(Int(1)), Some(Int(1))));
  EXPECT_FALSE(Equals(Some(Int(1)), Some(Int(2))));
  EXPECT_FALSE(Equals(OptionalValue::GetInstance(), Some(nullptr)));
  EXPECT_TRUE(Equals(Some(nullptr), Some(nullptr)));
  EXPECT_FALSE(Equals(Some(Int(1)), Int(1)));
}

TEST(Equals, SharedSubtreesAreNotWalkedAgain) {
  // Each level is a list holding the level below twice: 2^200 paths through 201 nodes. Two
  // trees built apart only compare in reasonable time if each pair of nodes is walked once.
  const auto build = [](long long leaf) {
    DataValuePtr level = Int(leaf);
    for (int i = 0; i < 200; ++i) level = List(1, {level, level});
    return level;
  };
  const DataValuePtr a = build(1);
  EXPECT_TRUE(Equals(a, build(1)));
  EXPECT_FALSE(Equals(a, build(2)));
  EXPECT_TRUE(Equals(a, a));
}

TEST(ToText, DescribesANestedValue) {
  auto record = StructValue::GetInstance("com.example.record");
  record->SetField("b", DataValue::Create(false));
  record->SetField("a", List(1, {Int(-7), DataValue::Create(2.5), DataValue::Create(3.0)}));
  record->SetField("c", Some(Point(1, 2)));
  record->SetField("d", OptionalValue::GetInstance());
  record->SetField("e", List(3, {Str("k"), SecretValue::GetInstance("hunter2")}));
  record->SetField("f", BlobValue::GetInstance({1, 2, 3}));
  record->SetField("g", VoidValue::GetInstance());
  record->SetField("h", nullptr);
  record->SetField("i", ErrorValue::Create("com.example.bad", {BaseMessage("id", "T.", {"x"})}));
  record->SetField("j", StructValue::GetDynamicInstance("dyn"));
  record->SetField("k", List(1, {}));
  const std::string expected =
      "com.example.record{a: [-7, 2.5, 3.0], b: false, c: some(com.example.point{x: 1, y: 2}), "
      "d: unset, e: map[\"k\", <secret>], f: blob[3], g: void, h: null, "
      "i: error com.example.bad{messages: [com.zentak.jorv.std.localizable_message{args: "
      "[\"x\"], default_message: \"T.\", id: \"id\"}]}, j: dyn{}, k: []}";
  EXPECT_EQ(ToText(record), expected);
  std::ostringstream stream;
  stream << *record;
  EXPECT_EQ(stream.str(), expected);
  EXPECT_EQ(ToText(nullptr), "null");
  EXPECT_EQ(ToText(Some(nullptr)), "some(null)");
}

TEST(ToText, EscapesStrings) {
  EXPECT_EQ(ToText(Str(std::string("q\"b\\n\nt\tc\x01\x1f\x7f\r\0z\xc3\xa9", 17))),
            "\"q\\\"b\\\\n\\nt\\tc\\x01\\x1f\\x7f\\x0d\\x00z\xc3\xa9\"");
  EXPECT_EQ(ToText(Str("")), "\"\"");
}

TEST(ToText, DoublesReadBackExactly) {
  for (const double d : {0.1, 1.0 / 3, -2.5e-300, 1e300, 6.02214076e23, 4.9e-324,
                         std::numeric_limits<double>::max()}) {
    const std::string text = ToText(DataValue::Create(d));
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), d) << text;
  }
  EXPECT_EQ(ToText(DataValue::Create(0.1)), "0.1");
  EXPECT_EQ(ToText(DataValue::Create(-0.0)), "-0.0");
  EXPECT_EQ(ToText(DataValue::Create(1e21)), "1e+21");
  EXPECT_EQ(ToText(DataValue::Create(std::numeric_limits<double>::infinity())), "inf");
  EXPECT_EQ(ToText(Int(std::numeric_limits<long long>::min())), "-9223372036854775808");
}

// Deep values: every operation runs on a 256 KiB stack, where one stack frame per level of a
// million would crash the test.
constexpr int kDepth = 1000000;

using Wrap = std::function<DataValuePtr(DataValuePtr)>;

DataValuePtr Deep(const Wrap& wrap, const DataValuePtr& leaf) {
  DataValuePtr value = leaf;
  for (int i = 0; i < kDepth; ++i) value = wrap(std::move(value));
  return value;
}

DataValuePtr WrapInOptional(DataValuePtr inner) { return Some(std::move(inner)); }
DataValuePtr WrapInStructure(DataValuePtr inner) {
  auto link = StructValue::GetInstance("n");
  link->SetField("next", std::move(inner));
  return link;
}
DataValuePtr WrapInList(DataValuePtr inner) { return List(1, {std::move(inner)}); }

void CheckDeep(const Wrap& wrap, const std::string& open, const std::string& close) {
  Testing::RunOnSmallStack([&] {
    const DataValuePtr a = Deep(wrap, Int(7));
    EXPECT_TRUE(Equals(a, Deep(wrap, Int(7))));
    EXPECT_FALSE(Equals(a, Deep(wrap, Int(8))));
    const std::string text = ToText(a);
    EXPECT_EQ(text.size(), (open.size() + close.size()) * kDepth + 1);
    EXPECT_EQ(text.substr(0, 2 * open.size()), open + open);
    EXPECT_EQ(text.substr(kDepth * open.size() - 1, 2 + 2 * close.size()),
              std::string(1, open.back()) + "7" + close + close);
    EXPECT_EQ(text.substr(text.size() - 2 * close.size()), close + close);
  });
}

TEST(DeepValue, OptionalChain) { CheckDeep(WrapInOptional, "some(", ")"); }
TEST(DeepValue, StructureChain) { CheckDeep(WrapInStructure, "n{next: ", "}"); }
TEST(DeepValue, ListChain) { CheckDeep(WrapInList, "[", "]"); }

TEST(DeepValue, DestructionOnASmallStack) {
  for (const Wrap& wrap : {Wrap(WrapInOptional), Wrap(WrapInStructure), Wrap(WrapInList)}) {
    Testing::RunOnSmallStack([&] {
      DataValuePtr value = Deep(wrap, Int(1));
      value.reset();
      EXPECT_EQ(value, nullptr);
    });
  }
}

}  // namespace
}  // namespace Data
}  // namespace Jorv
