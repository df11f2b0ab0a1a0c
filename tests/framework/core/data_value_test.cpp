#include "framework/core/data_value.h"

#include <gtest/gtest.h>

#include <limits>
#include <list>
#include <string>
#include <vector>

#include "framework/core/compound_value.h"

namespace Jorv {
namespace Data {
namespace {

using Args = std::list<std::string>;

// Reads `value` with ToPrimitive into a T that starts as `start`; gives what was read (or
// `start` when it failed) and the arguments of the one message a failure must leave.
template <class T>
std::pair<T, Args> Parse(const DataValuePtr& value, T start = T()) {
  std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
  const bool ok = DataValue::ToPrimitive(value, start, messages);
  EXPECT_EQ(messages.size(), ok ? 1u : 2u);
  EXPECT_EQ(messages.front().id, "earlier");
  return {start, ok ? Args() : messages.back().args};
}
DataValuePtr Text(const std::string& text) { return DataValue::Create(text); }

TEST(DataValue, PrimitivesReadBackTheirOwnKindAndParseTheirText) {
  constexpr long long kMin = std::numeric_limits<long long>::min();
  EXPECT_EQ(Parse<long long>(DataValue::Create(kMin)).first, kMin);
  EXPECT_EQ(Parse<std::string>(Text(std::string("h\0i", 3))).first, std::string("h\0i", 3));
  EXPECT_EQ(Parse<double>(DataValue::Create(-0.25)).first, -0.25);
  EXPECT_EQ(Parse<bool>(DataValue::Create(true)).first, true);
  for (const auto& row : {std::pair<const char*, long long>{"-5", -5},
                          {"+7", 7},
                          {"9223372036854775807", std::numeric_limits<long long>::max()},
                          {"-9223372036854775808", kMin}}) {
    EXPECT_EQ(Parse<long long>(Text(row.first)).first, row.second) << row.first;
  }
  EXPECT_EQ(Parse<double>(Text("-1.5e3")).first, -1500.0);
  EXPECT_EQ(Parse<double>(Text("+0x1.8p1")).first, 3.0);
  EXPECT_EQ(Parse<bool>(Text("false"), true).first, false);
  EXPECT_EQ(Parse<DateTime>(Text("1970-01-01T00:00:01Z")).first.MillisSinceEpoch(), 1000);
  EXPECT_EQ(DataValue::Create(DateTime::FromMillisSinceEpoch(1))->GetType(), DataType::STRING);
}

TEST(DataValue, WrongKindsAndUnparsedTextsLeaveTheOutputAndOneMessage) {
  const auto mismatch = [](const char* expected, const char* found) {
    return Args{expected, found};
  };
  EXPECT_EQ(Parse<long long>(DataValue::Create(1.0), 42),
            std::make_pair(42LL, mismatch("integer", "double")));
  EXPECT_EQ(Parse<std::string>(nullptr, "keep"),
            std::make_pair(std::string("keep"), mismatch("string", "null")));
  EXPECT_EQ(Parse<bool>(ListValue::GetInstance(1)).second, mismatch("boolean", "list"));
  EXPECT_EQ(Parse<std::string>(SecretValue::GetInstance("s")).second, mismatch("string", "secret"));
  for (const char* bad :
       {"12x", "", " 1", "1 ", "+", "-", "+-5", "0x10", "1.0", "9223372036854775808"}) {
    EXPECT_EQ(Parse<long long>(Text(bad), 99), std::make_pair(99LL, Args{bad, "integer"}));
  }
  for (const char* bad : {"1.5x", "", "+-1", "0x"}) {
    EXPECT_EQ(Parse<double>(Text(bad)).second, (Args{bad, "double"}));
  }
  EXPECT_EQ(Parse<bool>(Text("True")).second, (Args{"True", "boolean"}));
  EXPECT_EQ(Parse<DateTime>(Text("2026-02-30T00:00:00Z")).second,
            (Args{"2026-02-30T00:00:00Z", "date-time"}));

  std::list<BaseMessage> messages;
  long long integer = 0;
  EXPECT_FALSE(DataValue::Value(Text("7"), integer, messages));
  EXPECT_EQ(messages.back(), BaseMessage("jorv.data.type.mismatch",
                                         "Expected a value of kind integer but found string.",
                                         {"integer", "string"}));
  EXPECT_FALSE(DataValue::ToPrimitive(Text("x"), integer, messages));
  EXPECT_EQ(messages.back().defaultMessage, "The text 'x' is not a valid integer.");
}

TEST(CompoundValue, GetFieldAndSlots) {
  auto point = StructValue::GetInstance("com.example.point");
  DataValuePtr* first = point->CreateSlot("x");
  for (int i = 0; i < 200; ++i) point->CreateSlot("f" + std::to_string(i));
  EXPECT_EQ(point->CreateSlot("x"), first);
  *first = DataValue::Create(1LL);
  point->SetField("x", DataValue::Create(2LL));
  std::list<BaseMessage> messages;
  DataValuePtr found;
  ASSERT_TRUE(point->GetField("x", found, messages));
  EXPECT_EQ(Parse<long long>(found).first, 2);
  EXPECT_FALSE(point->GetField("y", found, messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front(),
            BaseMessage("jorv.data.missing.field",
                        "The field 'y' is missing from the structure 'com.example.point'.",
                        {"y", "com.example.point"}));

  auto list = ListValue::GetInstance(1);
  DataValuePtr* head = list->AppendSlot();
  for (int i = 0; i < 200; ++i) list->Append(DataValue::Create(static_cast<long long>(i)));
  *head = DataValue::Create(3LL);
  EXPECT_EQ(Parse<long long>(list->GetElements().front()).first, 3);
  auto optional = OptionalValue::GetInstance();
  EXPECT_FALSE(optional->IsSet());
  *optional->value(nullptr) = DataValue::Create(4LL);
  EXPECT_TRUE(optional->IsSet());
  EXPECT_EQ(Parse<long long>(optional->value()).first, 4);
}

TEST(ErrorValue, CarriesItsMessagesAndSkipsMalformedEntries) {
  const std::list<BaseMessage> messages{BaseMessage("first.id", "First.", {"a", "b"}),
                                        BaseMessage("second.id", "Second.", {})};
  const auto error = ErrorValue::Create("com.example.errors.bad", messages);
  EXPECT_EQ(error->GetType(), DataType::ERROR);
  EXPECT_EQ(error->GetName(), "com.example.errors.bad");
  EXPECT_EQ(error->GetMessages(), messages);
  EXPECT_TRUE(ErrorValue::GetInstance("e")->GetMessages().empty());

  const auto entry = [](const char* id, const char* text) {
    auto message = StructValue::GetInstance("com.zentak.jorv.std.localizable_message");
    if (id) message->SetField("id", Text(id));
    if (text) message->SetField("default_message", Text(text));
    return message;
  };
  auto kept = entry("kept", "Kept.");
  auto args = ListValue::GetInstance(1);
  for (const DataValuePtr& arg : {Text("x"), DataValue::Create(5LL), Text("y")}) args->Append(arg);
  kept->SetField("args", args);
  auto list = ListValue::GetInstance(1);
  for (const DataValuePtr& element :
       std::vector<DataValuePtr>{DataValue::Create(1LL), nullptr, entry(nullptr, "No id."), kept,
                                 entry("no.text", nullptr), entry("no.args", "No args.")}) {
    list->Append(element);
  }
  auto malformed = ErrorValue::GetInstance("e");
  malformed->SetField("messages", list);
  EXPECT_EQ(malformed->GetMessages(),
            (std::list<BaseMessage>{BaseMessage("kept", "Kept.", {"x", "y"}),
                                    BaseMessage("no.args", "No args.", {})}));
  malformed->SetField("messages", Text("not a list"));
  EXPECT_TRUE(malformed->GetMessages().empty());
}

// Records the name of each Visit* operation called.
class RecordingVisitor : public ValueVisitor {
 public:
  std::vector<std::string> calls;
  void VisitVoid(const VoidValue&) override { calls.push_back("void"); }
  void VisitInteger(const IntegerValue&) override { calls.push_back("integer"); }
  void VisitDouble(const DoubleValue&) override { calls.push_back("double"); }
  void VisitBoolean(const BooleanValue&) override { calls.push_back("boolean"); }
  void VisitBlob(const BlobValue&) override { calls.push_back("blob"); }
  void VisitString(const StringValue&) override { calls.push_back("string"); }
  void VisitSecret(const SecretValue&) override { calls.push_back("secret"); }
  void VisitError(const ErrorValue&) override { calls.push_back("error"); }
  void VisitOptional(const OptionalValue&) override { calls.push_back("optional"); }
  void VisitList(const ListValue&) override { calls.push_back("list"); }
  void VisitStruct(const StructValue& value) override {
    calls.push_back(DataType::Name(value.GetType()));
  }
};

TEST(DataValue, KindsHaveTheirCodeNameAndVisitorOperation) {
  const std::vector<DataValuePtr> values{
      VoidValue::GetInstance(),      DataValue::Create(1LL),
      DataValue::Create(1.0),        DataValue::Create(false),
      BlobValue::GetInstance({1}),   Text("s"),
      SecretValue::GetInstance("p"), ErrorValue::GetInstance("e"),
      OptionalValue::GetInstance(),  ListValue::GetInstance(3),
      StructValue::GetInstance("s"), StructValue::GetDynamicInstance("d")};
  RecordingVisitor visitor;
  std::vector<int> codes;
  for (const auto& value : values) {
    value->Accept(visitor);
    codes.push_back(value->GetType());
  }
  EXPECT_EQ(visitor.calls, (std::vector<std::string>{"void", "integer", "double", "boolean", "blob",
                                                     "string", "secret", "error", "optional",
                                                     "list", "structure", "dynamic structure"}));
  EXPECT_EQ(codes, (std::vector<int>{1, 2, 3, 4, 7, 5, 11, 6, 10, 8, 9, 15}));
  EXPECT_STREQ(DataType::Name(static_cast<DataType::EnumType>(12)), "unknown");
}

}  // namespace
}  // namespace Data
}  // namespace Jorv
