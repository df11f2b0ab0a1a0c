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

// The one message in `messages`, after checking there is exactly one.
const BaseMessage& Only(const std::list<BaseMessage>& messages) {
  static const BaseMessage kNone;
  EXPECT_EQ(messages.size(), 1u);
  return messages.empty() ? kNone : messages.front();
}

TEST(DataValueCreate, MakesTheValueKindOfEachPrimitive) {
  EXPECT_EQ(DataValue::Create(std::string("x"))->GetType(), DataType::STRING);
  EXPECT_EQ(DataValue::Create(5LL)->GetType(), DataType::INTEGER);
  EXPECT_EQ(DataValue::Create(0.5)->GetType(), DataType::DOUBLE);
  EXPECT_EQ(DataValue::Create(true)->GetType(), DataType::BOOLEAN);
  EXPECT_EQ(DataValue::Create(Void())->GetType(), DataType::VOID);
  const auto when = DataValue::Create(DateTime::FromMillisSinceEpoch(1));
  ASSERT_EQ(when->GetType(), DataType::STRING);
  EXPECT_EQ(static_cast<const StringValue&>(*when).GetValue(), "1970-01-01T00:00:00.001Z");
}

TEST(DataValueValue, ReadsBackEachPrimitive) {
  std::list<BaseMessage> messages;
  std::string text;
  long long integer = 0;
  double number = 0;
  bool flag = false;
  DateTime when;
  const auto moment = DateTime::FromMillisSinceEpoch(-86400001);
  EXPECT_TRUE(DataValue::Value(DataValue::Create(std::string("h\0i", 3)), text, messages));
  EXPECT_TRUE(DataValue::Value(DataValue::Create(std::numeric_limits<long long>::min()), integer,
                               messages));
  EXPECT_TRUE(DataValue::Value(DataValue::Create(-0.25), number, messages));
  EXPECT_TRUE(DataValue::Value(DataValue::Create(true), flag, messages));
  EXPECT_TRUE(DataValue::Value(DataValue::Create(moment), when, messages));
  EXPECT_EQ(text, std::string("h\0i", 3));
  EXPECT_EQ(integer, std::numeric_limits<long long>::min());
  EXPECT_EQ(number, -0.25);
  EXPECT_TRUE(flag);
  EXPECT_EQ(when, moment);
  EXPECT_TRUE(messages.empty());
}

TEST(DataValueValue, KindMismatchAppendsOneMessageAndLeavesOutputAlone) {
  std::list<BaseMessage> messages;
  long long integer = 42;
  EXPECT_FALSE(DataValue::Value(DataValue::Create(std::string("7")), integer, messages));
  EXPECT_EQ(integer, 42);
  EXPECT_EQ(Only(messages).GetId(), "jorv.data.type.mismatch");
  EXPECT_EQ(messages.front().GetArgs(), (Args{"integer", "string"}));
  EXPECT_EQ(messages.front().GetDefaultMessage(),
            "Expected a value of kind integer but found string.");

  messages.clear();
  std::string text = "keep";
  EXPECT_FALSE(DataValue::Value(DataValuePtr(), text, messages));
  EXPECT_EQ(text, "keep");
  EXPECT_EQ(Only(messages).GetArgs(), (Args{"string", "null"}));

  messages.clear();
  double number = 1;
  EXPECT_FALSE(DataValue::Value(DataValue::Create(3LL), number, messages));
  EXPECT_EQ(Only(messages).GetArgs(), (Args{"double", "integer"}));

  messages.clear();
  bool flag = true;
  EXPECT_FALSE(DataValue::Value(ListValue::GetInstance(1), flag, messages));
  EXPECT_EQ(Only(messages).GetArgs(), (Args{"boolean", "list"}));

  messages.clear();
  DateTime when = DateTime::FromMillisSinceEpoch(9);
  EXPECT_FALSE(DataValue::Value(SecretValue::GetInstance("s"), when, messages));
  EXPECT_EQ(when, DateTime::FromMillisSinceEpoch(9));
  EXPECT_EQ(Only(messages).GetArgs(), (Args{"string", "secret"}));
}

TEST(DataValueValue, StringNeverParsedAndEarlierMessagesKept) {
  std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {"a"})};
  long long integer = 0;
  EXPECT_FALSE(DataValue::Value(DataValue::Create(std::string("12")), integer, messages));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages.front(), BaseMessage("earlier", "Earlier.", {"a"}));
  EXPECT_EQ(messages.back().GetId(), "jorv.data.type.mismatch");
}

TEST(DataValueToPrimitive, ParsesWholeIntegersOnly) {
  const auto parse = [](const std::string& text, long long& out, std::list<BaseMessage>& messages) {
    return DataValue::ToPrimitive(DataValue::Create(text), out, messages);
  };
  std::list<BaseMessage> messages;
  long long out = 0;
  EXPECT_TRUE(parse("-5", out, messages));
  EXPECT_EQ(out, -5);
  EXPECT_TRUE(parse("+7", out, messages));
  EXPECT_EQ(out, 7);
  EXPECT_TRUE(parse("9223372036854775807", out, messages));
  EXPECT_EQ(out, std::numeric_limits<long long>::max());
  EXPECT_TRUE(parse("-9223372036854775808", out, messages));
  EXPECT_EQ(out, std::numeric_limits<long long>::min());
  EXPECT_TRUE(messages.empty());

  for (const std::string bad :
       {"12x", "", " 1", "1 ", "+", "-", "+-5", "0x10", "1.0", "9223372036854775808"}) {
    SCOPED_TRACE(bad);
    messages.clear();
    out = 99;
    EXPECT_FALSE(parse(bad, out, messages));
    EXPECT_EQ(out, 99);
    EXPECT_EQ(Only(messages).GetId(), "jorv.data.parse.failed");
    EXPECT_EQ(messages.front().GetArgs(), (Args{bad, "integer"}));
  }
}

TEST(DataValueToPrimitive, ParsesDoublesBooleansAndDateTimes) {
  std::list<BaseMessage> messages;
  double number = 0;
  EXPECT_TRUE(DataValue::ToPrimitive(DataValue::Create(std::string("-1.5e3")), number, messages));
  EXPECT_EQ(number, -1500.0);
  EXPECT_TRUE(DataValue::ToPrimitive(DataValue::Create(std::string("+0.125")), number, messages));
  EXPECT_EQ(number, 0.125);
  EXPECT_TRUE(DataValue::ToPrimitive(DataValue::Create(std::string("0x1.8p1")), number, messages));
  EXPECT_EQ(number, 3.0);
  EXPECT_TRUE(DataValue::ToPrimitive(DataValue::Create(std::string("-0X10")), number, messages));
  EXPECT_EQ(number, -16.0);
  bool flag = false;
  EXPECT_TRUE(DataValue::ToPrimitive(DataValue::Create(std::string("true")), flag, messages));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(DataValue::ToPrimitive(DataValue::Create(std::string("false")), flag, messages));
  EXPECT_FALSE(flag);
  DateTime when;
  EXPECT_TRUE(DataValue::ToPrimitive(DataValue::Create(std::string("1970-01-01T00:00:01Z")), when,
                                     messages));
  EXPECT_EQ(when.MillisSinceEpoch(), 1000);
  EXPECT_TRUE(messages.empty());

  // A value of the native kind itself is read as Value reads it.
  EXPECT_TRUE(DataValue::ToPrimitive(DataValue::Create(2.5), number, messages));
  EXPECT_EQ(number, 2.5);
  EXPECT_FALSE(DataValue::ToPrimitive(DataValue::Create(1LL), flag, messages));
  EXPECT_EQ(Only(messages).GetArgs(), (Args{"boolean", "integer"}));

  struct Bad {
    const char* text;
    const char* kind;
  };
  for (const Bad bad :
       {Bad{"1.5x", "double"}, Bad{"", "double"}, Bad{"+-1", "double"}, Bad{"0x", "double"},
        Bad{"True", "boolean"}, Bad{"1", "boolean"}, Bad{"2026-02-30T00:00:00Z", "date-time"}}) {
    SCOPED_TRACE(bad.text);
    messages.clear();
    if (std::string(bad.kind) == "double") {
      EXPECT_FALSE(
          DataValue::ToPrimitive(DataValue::Create(std::string(bad.text)), number, messages));
    } else if (std::string(bad.kind) == "boolean") {
      EXPECT_FALSE(
          DataValue::ToPrimitive(DataValue::Create(std::string(bad.text)), flag, messages));
    } else {
      EXPECT_FALSE(
          DataValue::ToPrimitive(DataValue::Create(std::string(bad.text)), when, messages));
    }
    EXPECT_EQ(Only(messages).GetId(), "jorv.data.parse.failed");
    EXPECT_EQ(messages.front().GetArgs(), (Args{bad.text, bad.kind}));
  }
  EXPECT_EQ(messages.front().GetDefaultMessage(),
            "The text '2026-02-30T00:00:00Z' is not a valid date-time.");
  EXPECT_EQ(number, 2.5);
  EXPECT_FALSE(flag);
  EXPECT_EQ(when.MillisSinceEpoch(), 1000);
}

TEST(CompoundValue, GetFieldFindsOrReportsTheMissingField) {
  auto point = StructValue::GetInstance("com.example.point");
  point->SetField("x", DataValue::Create(1LL));
  point->SetField("x", DataValue::Create(2LL));
  std::list<BaseMessage> messages;
  DataValuePtr found;
  ASSERT_TRUE(point->GetField("x", found, messages));
  long long x = 0;
  ASSERT_TRUE(DataValue::Value(found, x, messages));
  EXPECT_EQ(x, 2);
  EXPECT_TRUE(messages.empty());

  EXPECT_FALSE(point->GetField("y", found, messages));
  EXPECT_EQ(Only(messages).GetId(), "jorv.data.missing.field");
  EXPECT_EQ(messages.front().GetArgs(), (Args{"y", "com.example.point"}));
  EXPECT_EQ(messages.front().GetDefaultMessage(),
            "The field 'y' is missing from the structure 'com.example.point'.");
}

TEST(CompoundValue, SlotsStayValidWhileTheContainerGrows) {
  auto structure = StructValue::GetInstance("s");
  DataValuePtr* first = structure->CreateSlot("m");
  for (int i = 0; i < 200; ++i) structure->CreateSlot("f" + std::to_string(i));
  EXPECT_EQ(structure->CreateSlot("m"), first);
  *first = DataValue::Create(1LL);

  auto list = ListValue::GetInstance(1);
  DataValuePtr* head = list->AppendSlot();
  for (int i = 0; i < 200; ++i) list->Append(DataValue::Create(static_cast<long long>(i)));
  *head = DataValue::Create(2LL);

  auto optional = OptionalValue::GetInstance();
  EXPECT_FALSE(optional->IsSet());
  DataValuePtr* held = optional->value(nullptr);
  EXPECT_TRUE(optional->IsSet());
  EXPECT_EQ(optional->value(), nullptr);
  *held = DataValue::Create(3LL);

  std::list<BaseMessage> messages;
  long long value = 0;
  ASSERT_TRUE(DataValue::Value(structure->GetFields().at("m"), value, messages));
  EXPECT_EQ(value, 1);
  ASSERT_TRUE(DataValue::Value(list->GetElements().front(), value, messages));
  EXPECT_EQ(value, 2);
  EXPECT_EQ(list->GetElements().size(), 201u);
  ASSERT_TRUE(DataValue::Value(optional->value(), value, messages));
  EXPECT_EQ(value, 3);
}

TEST(ErrorValue, MessagesRoundTripInOrder) {
  const std::list<BaseMessage> messages{
      BaseMessage("first.id", "First text.", {"a", "b", "c"}),
      BaseMessage("second.id", "Second text.", {}),
      MakeMessage("jorv.data.missing.field",
                  Message<CoreTag>::DefaultMessageForId("jorv.data.missing.field"),
                  std::string("f"), std::string("s")),
  };
  const auto error = ErrorValue::Create("com.example.errors.bad", messages);
  EXPECT_EQ(error->GetType(), DataType::ERROR);
  EXPECT_EQ(error->GetName(), "com.example.errors.bad");
  EXPECT_EQ(error->GetMessages(), messages);
  EXPECT_EQ(error->GetMessages().back().GetDefaultMessage(),
            "The field 'f' is missing from the structure 's'.");

  EXPECT_TRUE(ErrorValue::GetInstance("e")->GetMessages().empty());
  EXPECT_TRUE(ErrorValue::Create("e", {})->GetMessages().empty());
}

TEST(ErrorValue, GetMessagesSkipsMalformedEntries) {
  const auto entry = [](const char* id, const char* text) {
    auto message = StructValue::GetInstance("com.zentak.jorv.std.localizable_message");
    if (id) message->SetField("id", DataValue::Create(std::string(id)));
    if (text) message->SetField("default_message", DataValue::Create(std::string(text)));
    return message;
  };
  auto kept = entry("kept", "Kept.");
  auto args = ListValue::GetInstance(1);
  args->Append(DataValue::Create(std::string("x")));
  args->Append(DataValue::Create(5LL));
  args->Append(DataValue::Create(std::string("y")));
  kept->SetField("args", args);
  auto list = ListValue::GetInstance(1);
  list->Append(DataValue::Create(1LL));
  list->Append(nullptr);
  list->Append(entry(nullptr, "No id."));
  list->Append(kept);
  list->Append(entry("no.text", nullptr));
  list->Append(entry("no.args", "No args."));
  auto error = ErrorValue::GetInstance("e");
  error->SetField("messages", list);
  EXPECT_EQ(error->GetMessages(), (std::list<BaseMessage>{BaseMessage("kept", "Kept.", {"x", "y"}),
                                                          BaseMessage("no.args", "No args.", {})}));

  error->SetField("messages", DataValue::Create(std::string("not a list")));
  EXPECT_TRUE(error->GetMessages().empty());
}

TEST(DataType, CodesAndNames) {
  EXPECT_EQ(DataType::STRING, 5);
  EXPECT_EQ(DataType::ERROR, 6);
  EXPECT_EQ(DataType::LIST, 8);
  EXPECT_EQ(DataType::STRUCTURE, 9);
  EXPECT_EQ(DataType::DYNAMIC_STRUCTURE, 15);
  EXPECT_EQ(StructValue::GetDynamicInstance("d")->GetType(), 15);
  EXPECT_STREQ(DataType::Name(DataType::DYNAMIC_STRUCTURE), "dynamic structure");
  EXPECT_STREQ(DataType::Name(static_cast<DataType::EnumType>(12)), "unknown");
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
    calls.push_back("struct " + std::to_string(value.GetType()));
  }
};

TEST(ValueVisitor, EachKindReachesItsOwnOperation) {
  const std::vector<DataValuePtr> values{
      VoidValue::GetInstance(),       DataValue::Create(1LL),
      DataValue::Create(1.0),         DataValue::Create(false),
      BlobValue::GetInstance({1, 2}), DataValue::Create(std::string("s")),
      SecretValue::GetInstance("p"),  ErrorValue::GetInstance("e"),
      OptionalValue::GetInstance(),   ListValue::GetInstance(3),
      StructValue::GetInstance("s"),  StructValue::GetDynamicInstance("d"),
  };
  RecordingVisitor visitor;
  for (const auto& value : values) value->Accept(visitor);
  EXPECT_EQ(visitor.calls, (std::vector<std::string>{"void", "integer", "double", "boolean", "blob",
                                                     "string", "secret", "error", "optional",
                                                     "list", "struct 9", "struct 15"}));
}

}  // namespace
}  // namespace Data
}  // namespace Jorv
