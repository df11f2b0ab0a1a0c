#include "stats/provider/values/values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "stats/provider/value.h"
#include "support/conversions.h"

namespace {

using namespace Com::Zentak::Stats::Provider::Values;
using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::TypeInfo;
using namespace Jorv::Testing;

using TagType = TraceTagEnumerations::Type;
using Tags = std::list<std::shared_ptr<const TraceTag>>;
using Logs = std::list<std::shared_ptr<const TraceLog>>;
using Strings = std::list<std::string>;

constexpr const char kTagType[] = "com.zentak.stats.provider.values.trace_tag.type";
constexpr const char kHistogram[] = "com.zentak.stats.provider.values.simple_histogram";
constexpr const char kTag[] = "com.zentak.stats.provider.values.trace_tag";
constexpr const char kLog[] = "com.zentak.stats.provider.values.trace_log";
constexpr const char kSpan[] = "com.zentak.stats.provider.values.trace_span";

std::shared_ptr<const TraceTag> Tag(const std::string& key, TagType type, DataValuePtr value) {
  auto tag = std::make_shared<TraceTag>();
  tag->key = key;
  tag->value_type = type;
  tag->value = Jorv::Data::Opaque(std::move(value));
  return tag;
}

DataValuePtr TagValue(const std::string& key, const char* type, DataValuePtr value) {
  return Struct(kTag, {{"key", Str(key)}, {"value_type", Str(type)}, {"value", std::move(value)}});
}

TraceSpan FilledSpan() {
  auto log = std::make_shared<TraceLog>();
  log->timestamp = 1500;
  log->fields = {Tag("event", TagType::STRING, Str("retry")),
                 Tag("attempt", TagType::LONG, Int(2))};
  TraceSpan span;
  span.trace_id = 0x7fffffffffffffffLL;
  span.span_id = 12;
  span.parent_span_id = 0;
  span.start_time = 1000;
  span.duration = -5;
  span.tags = Tags{Tag("ok", TagType::BOOLEAN, Jorv::Data::DataValue::Create(true))};
  span.logs = Logs{log};
  return span;
}

TEST(ValuesEnumeration, LiteralTableAndNumbering) {
  EXPECT_EQ(TypeInfo<TagType>::name(), kTagType);
  const char* const expected[] = {"BINARY", "BOOLEAN", "DOUBLE", "LONG", "STRING", "_UNKNOWN"};
  for (std::uint32_t i = 0; i < 6; ++i) {
    ASSERT_NE(TagType::Strings::values[i], nullptr);
    EXPECT_STREQ(TagType::Strings::values[i], expected[i]);
    EXPECT_EQ(TagType::FromString(expected[i]).GetEnumerator(), i);
  }
  EXPECT_EQ(TagType::Strings::values[6], nullptr);
  EXPECT_EQ(TagType::LONG, 3u);
  EXPECT_EQ(TagType::_UNKNOWN, 5u);
  EXPECT_EQ(TagType().GetEnumerator(), TagType::_UNKNOWN);
  EXPECT_EQ(TagType().GetUnknownText(), "");
  EXPECT_EQ(DefinitionText(Define<TagType>()), "string");
}

TEST(ValuesEnumeration, ReadsLiteralsKeepsOtherTextsAndRejectsNonStrings) {
  const struct {
    const char* received;
    TagType::Enumerator enumerator;
    const char* unknownText;
    const char* written;
  } cases[] = {
      {"LONG", TagType::LONG, "", "LONG"},
      {"long", TagType::_UNKNOWN, "long", "long"},
      {"_UNKNOWN", TagType::_UNKNOWN, "", "_UNKNOWN"},
      {"", TagType::_UNKNOWN, "", "_UNKNOWN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.received);
    const TagType read = ReadOk<TagType>(Str(c.received));
    EXPECT_EQ(read.GetEnumerator(), c.enumerator);
    EXPECT_EQ(read.GetUnknownText(), c.unknownText);
    EXPECT_TRUE(SameValue(WriteOk(read), Str(c.written)));
  }

  const BaseMessage m = ReadFails<TraceTag>(
      Struct(kTag, {{"key", Str("k")}, {"value_type", Int(3)}, {"value", Int(1)}}));
  EXPECT_EQ(m.GetId(), "jorv.data.type.mismatch");
  EXPECT_EQ(m.GetArgs(), (Strings{"string", "integer"}));
}

TEST(ValuesRecords, WriteEveryFieldUnderItsWireName) {
  SimpleHistogram histogram;
  histogram.bins = {0.0, 10.0, 100.0};
  histogram.values = {7.5, -1.0};
  const struct {
    std::string typeName;
    DataValuePtr written;
    DataValuePtr expected;
  } cases[] = {
      {TypeInfo<SimpleHistogram>::name(), WriteOk(histogram),
       Struct(kHistogram, {{"bins", List(1, {Real(0.0), Real(10.0), Real(100.0)})},
                           {"values", List(1, {Real(7.5), Real(-1.0)})}})},
      {TypeInfo<TraceTag>::name(), WriteOk(TraceTag()),
       Struct(kTag, {{"key", Str("")},
                     {"value_type", Str("_UNKNOWN")},
                     {"value", Jorv::Data::VoidValue::GetInstance()}})},
      {TypeInfo<TraceLog>::name(), WriteOk(*FilledSpan().logs->front()),
       Struct(kLog, {{"timestamp", Int(1500)},
                     {"fields", List(1, {TagValue("event", "STRING", Str("retry")),
                                         TagValue("attempt", "LONG", Int(2))})}})},
      {TypeInfo<TraceSpan>::name(), WriteOk(FilledSpan()),
       Struct(kSpan, {{"trace_id", Int(0x7fffffffffffffffLL)},
                      {"span_id", Int(12)},
                      {"parent_span_id", Int(0)},
                      {"start_time", Int(1000)},
                      {"duration", Int(-5)},
                      {"tags", Some(List(1, {TagValue("ok", "BOOLEAN",
                                                      Jorv::Data::DataValue::Create(true))}))},
                      {"logs", Some(List(1, {WriteOk(*FilledSpan().logs->front())}))}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typeName);
    EXPECT_EQ(c.typeName, static_cast<const Jorv::Data::StructValue&>(*c.expected).GetName());
    EXPECT_TRUE(SameValue(c.written, c.expected));
  }
  EXPECT_TRUE(WriteSame(ReadOk<SimpleHistogram>(WriteOk(histogram)), histogram));
  EXPECT_TRUE(WriteSame(ReadOk<TraceSpan>(WriteOk(FilledSpan())), FilledSpan()));
}

TEST(ValuesRecords, TagValueIsNotCheckedAgainstItsType) {
  const auto tag = Tag("latency", TagType::STRING, Real(2.5));
  const DataValuePtr written = WriteOk(*tag);
  EXPECT_TRUE(SameValue(written, TagValue("latency", "STRING", Real(2.5))));
  const TraceTag read = ReadOk<TraceTag>(written);
  EXPECT_EQ(read.value_type, TagType(TagType::STRING));
  EXPECT_TRUE(SameValue(read.value.GetValue(), Real(2.5)));

  TraceTag empty;
  empty.value = Jorv::Data::Opaque(nullptr);
  const BaseMessage m = WriteFails(empty);
  EXPECT_EQ(m.GetId(), "jorv.data.unset.field");
  EXPECT_EQ(m.GetArgs(), Strings{"Opaque"});
}

TEST(ValuesRecords, RequiredFieldsAreRejectedWhenMissingOptionalOnesAccepted) {
  SimpleHistogram h;
  h.bins = {1.0};
  const DataValuePtr histogram = WriteOk(h);
  const DataValuePtr tag = WriteOk(*Tag("k", TagType::LONG, Int(1)));
  const DataValuePtr log = WriteOk(*FilledSpan().logs->front());
  const DataValuePtr span = WriteOk(FilledSpan());
  const struct {
    void (*check)(const DataValuePtr&, const std::string&, bool);
    const DataValuePtr& full;
    const char* field;
    bool required;
  } cases[] = {
      {&ExpectFieldRequirement<SimpleHistogram>, histogram, "bins", true},
      {&ExpectFieldRequirement<SimpleHistogram>, histogram, "values", true},
      {&ExpectFieldRequirement<TraceTag>, tag, "key", true},
      {&ExpectFieldRequirement<TraceTag>, tag, "value_type", true},
      {&ExpectFieldRequirement<TraceTag>, tag, "value", true},
      {&ExpectFieldRequirement<TraceLog>, log, "timestamp", true},
      {&ExpectFieldRequirement<TraceLog>, log, "fields", true},
      {&ExpectFieldRequirement<TraceSpan>, span, "trace_id", true},
      {&ExpectFieldRequirement<TraceSpan>, span, "span_id", true},
      {&ExpectFieldRequirement<TraceSpan>, span, "parent_span_id", true},
      {&ExpectFieldRequirement<TraceSpan>, span, "start_time", true},
      {&ExpectFieldRequirement<TraceSpan>, span, "duration", true},
      {&ExpectFieldRequirement<TraceSpan>, span, "tags", false},
      {&ExpectFieldRequirement<TraceSpan>, span, "logs", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<const Jorv::Data::StructValue&>(*c.full).GetName());
    c.check(c.full, c.field, c.required);
  }
}

TEST(ValuesRecords, SpanUnsetAndEmptyTagsDiffer) {
  TraceSpan bare;
  TraceSpan emptyTags;
  emptyTags.tags = Tags{};
  const DataValuePtr writtenBare = WriteOk(bare);
  const DataValuePtr writtenEmpty = WriteOk(emptyTags);
  EXPECT_TRUE(SameValue(FieldOf(writtenBare, "tags"), Unset()));
  EXPECT_TRUE(SameValue(FieldOf(writtenBare, "logs"), Unset()));
  EXPECT_TRUE(SameValue(FieldOf(writtenEmpty, "tags"), Some(List(1, {}))));
  EXPECT_FALSE(ReadOk<TraceSpan>(writtenBare).tags);
  const TraceSpan read = ReadOk<TraceSpan>(writtenEmpty);
  ASSERT_TRUE(read.tags);
  EXPECT_TRUE(read.tags->empty());
  EXPECT_FALSE(read.logs);
}

TEST(ValuesRecords, UndeclaredFieldsAreKeptAndWrittenBack) {
  {
    SCOPED_TRACE(kHistogram);
    ExpectKeepsUnknownField<SimpleHistogram>(WriteOk(SimpleHistogram()));
  }
  {
    SCOPED_TRACE(kSpan);
    ExpectKeepsUnknownField<TraceSpan>(WriteOk(FilledSpan()));
  }
  // A tag inside a log keeps its own extra field.
  const DataValuePtr extended =
      Edited(TagValue("event", "STRING", Str("retry")), {{"severity", Str("high")}});
  const DataValuePtr received =
      Struct(kLog, {{"timestamp", Int(3)}, {"fields", List(1, {extended})}});
  const TraceLog log = ReadOk<TraceLog>(received);
  EXPECT_EQ(log.unknownFields, nullptr);
  ASSERT_EQ(log.fields.size(), 1u);
  ASSERT_NE(log.fields.front()->unknownFields, nullptr);
  EXPECT_TRUE(SameValue(FieldOf(log.fields.front()->unknownFields, "severity"), Str("high")));
  EXPECT_TRUE(SameValue(WriteOk(log), received));
}

TEST(ValuesRecords, NullElementsNameTheirType) {
  const struct {
    const char* what;
    BaseMessage message;
    const char* argument;
  } cases[] = {
      {"log field",
       [] {
         TraceLog log;
         log.fields = {nullptr};
         return WriteFails(log);
       }(),
       kTag},
      {"span tag",
       [] {
         TraceSpan span = FilledSpan();
         span.tags->push_back(nullptr);
         return WriteFails(span);
       }(),
       kTag},
      {"span log",
       [] {
         TraceSpan span = FilledSpan();
         span.logs->push_back(nullptr);
         return WriteFails(span);
       }(),
       kLog},
      {"span", WriteFails(std::shared_ptr<const TraceSpan>()), kSpan},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.message.GetId(), "jorv.data.unset.non.optional.field");
    EXPECT_EQ(c.message.GetArgs(), Strings{c.argument});
  }
}

TEST(ValuesRecords, SpanTravelsInsideTheOpaqueOfAValue) {
  using Com::Zentak::Stats::Provider::Value;
  const TraceSpan span = FilledSpan();
  const DataValuePtr spanValue = WriteOk(span);
  Value sample;
  sample.chandle = 8;
  sample.opaque = Jorv::Data::Opaque(spanValue);

  const DataValuePtr written = WriteOk(sample);
  const auto& opaque = static_cast<const Jorv::Data::OptionalValue&>(*FieldOf(written, "opaque"));
  ASSERT_TRUE(opaque.IsSet());
  EXPECT_EQ(opaque.value().get(), spanValue.get());

  const Value read = ReadOk<Value>(written);
  ASSERT_TRUE(read.opaque);
  EXPECT_EQ(read.opaque->GetValue().get(), spanValue.get());
  const TraceSpan again = ReadOk<TraceSpan>(read.opaque->GetValue());
  EXPECT_EQ(again.trace_id, span.trace_id);
  ASSERT_TRUE(again.logs);
  ASSERT_EQ(again.logs->size(), 1u);
  EXPECT_EQ(again.logs->front()->fields.size(), 2u);
  EXPECT_TRUE(WriteSame(again, span));
}

TEST(ValuesRecords, Definitions) {
  const std::string tag = std::string(kTag) + "{key: string, value: opaque, value_type: string}";
  EXPECT_EQ(DefinitionText(Define<SimpleHistogram>()),
            std::string(kHistogram) + "{bins: list<double>, values: list<double>}");
  EXPECT_EQ(DefinitionText(Define<TraceSpan>()),
            std::string(kSpan) + "{duration: integer, logs: optional<list<" + kLog +
                "{fields: list<" + tag +
                ">, timestamp: integer}>>, parent_span_id: integer, span_id: integer, " +
                "start_time: integer, tags: optional<list<" + tag + ">>, trace_id: integer}");
}

TEST(ValuesRecords, DefaultRecordsHaveZeroIntegers) {
  EXPECT_EQ(TraceLog().timestamp, 0);
  const TraceSpan span;
  for (long long member :
       {span.trace_id, span.span_id, span.parent_span_id, span.start_time, span.duration}) {
    EXPECT_EQ(member, 0);
  }
  const auto tag = TypeInfo<TraceTag>::defaultInstance(nullptr);
  EXPECT_EQ(tag->value.GetValue()->GetType(), Jorv::Data::DataType::VOID);
  EXPECT_NE(tag.get(), TypeInfo<TraceTag>::defaultInstance(nullptr).get());
}

}  // namespace
