#include "framework/core/value_ops.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "support/values.h"

namespace Jorv::Data {
namespace {

using namespace Testing;

DataValuePtr Point(long long x, long long y) {
  return Struct("com.example.point", {{"x", Int(x)}, {"y", Int(y)}});
}

TEST(Equals, ComparesKindNameFieldsAndElementsDeeply) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const DataValuePtr equal[][2] = {
      {BlobValue::GetInstance({1, 2}), BlobValue::GetInstance({1, 2})},
      {Real(0.0), Real(-0.0)},
      {Point(1, 2), Point(1, 2)},
      {List(1, {Int(1), Str("a")}), List(1, {Int(1), Str("a")})},
      {Some(nullptr), Some(nullptr)},
  };
  for (const auto& pair : equal) {
    EXPECT_TRUE(Equals(pair[0], pair[1])) << ToText(pair[0]);
  }
  auto error = ErrorValue::GetInstance("com.example.point");
  error->SetField("x", Int(1));
  error->SetField("y", Int(2));
  const DataValuePtr different[][2] = {
      {Int(1), Real(1.0)},
      {Str("p"), SecretValue::GetInstance("p")},
      {BlobValue::GetInstance({1, 2}), BlobValue::GetInstance({1, 3})},
      {Real(nan), Real(nan)},
      {nullptr, Int(0)},
      {Point(1, 2), Point(1, 3)},
      {Point(1, 2), Struct("com.example.other", {{"x", Int(1)}, {"y", Int(2)}})},
      {Point(1, 2), error},
      {Point(1, 2), Struct("com.example.point", {{"x", Int(1)}, {"z", Int(2)}})},
      {List(1, {Int(1), Str("a")}), List(1, {Str("a"), Int(1)})},
      {List(1, {Int(1)}), List(3, {Int(1)})},
      {List(1, {Int(1)}), List(1, {Int(1), Int(1)})},
      {Unset(), Some(nullptr)},
      {Some(Int(1)), Int(1)},
  };
  for (const auto& pair : different) {
    EXPECT_FALSE(Equals(pair[0], pair[1])) << ToText(pair[0]) << " vs " << ToText(pair[1]);
    EXPECT_FALSE(Equals(pair[1], pair[0])) << ToText(pair[1]) << " vs " << ToText(pair[0]);
  }
}

TEST(ToText, DescribesEveryKind) {
  const DataValuePtr record =
      Struct("com.example.record",
             {{"b", DataValue::Create(false)},
              {"a", List(1, {Int(std::numeric_limits<long long>::min()), Real(2.5), Real(3.0),
                             Real(1.0 / 3), Real(-0.0), Real(1e21), Real(4.9e-324),
                             Real(std::numeric_limits<double>::infinity())})},
              {"c", Some(Point(1, 2))},
              {"d", Unset()},
              {"e", List(3, {Str("k"), SecretValue::GetInstance("hunter2")})},
              {"f", BlobValue::GetInstance({1, 2, 3})},
              {"g", VoidValue::GetInstance()},
              {"h", nullptr},
              {"i", ErrorValue::Create("com.example.bad", {BaseMessage("id", "T.", {"x"})})},
              {"j", StructValue::GetDynamicInstance("dyn")},
              {"l", Some(nullptr)},
              {"k", Str(std::string("q\"b\\n\nt\tc\x01\x1f\x7f\r\0z\xc3\xa9", 17))}});
  const std::string expected =
      "com.example.record{a: [-9223372036854775808, 2.5, 3.0, 0.3333333333333333, -0.0, 1e+21, "
      "5e-324, inf], "
      "b: false, c: some(com.example.point{x: 1, y: 2}), "
      "d: unset, e: map[\"k\", <secret>], f: blob[3], g: void, h: null, "
      "i: error com.example.bad{messages: [com.zentak.jorv.std.localizable_message{args: "
      "[\"x\"], default_message: \"T.\", id: \"id\"}]}, j: dyn{}, "
      "k: \"q\\\"b\\\\n\\nt\\tc\\x01\\x1f\\x7f\\x0d\\x00z\xc3\xa9\", l: some(null)}";
  EXPECT_EQ(ToText(record), expected);
}

}  // namespace
}  // namespace Jorv::Data
