#include "stats/provider/result.h"

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <memory>
#include <string>

#include "stats/provider/counter_instance.h"
#include "support/conversions.h"

namespace {

using Com::Zentak::Stats::Provider::CounterInstance;
using Com::Zentak::Stats::Provider::ResourceId;
using Com::Zentak::Stats::Provider::Result;
using Com::Zentak::Stats::Provider::Snapshot;
using Com::Zentak::Stats::Provider::Value;
using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::TypeInfo;
using namespace Jorv::Testing;

using Strings = std::list<std::string>;

constexpr const char kResultName[] = "com.zentak.stats.provider.result";
constexpr const char kSnapshotName[] = "com.zentak.stats.provider.snapshot";
constexpr const char kValueName[] = "com.zentak.stats.provider.value";
constexpr const char kResourceIdName[] = "com.zentak.stats.provider.resource_id";
constexpr const char kCounterInstanceName[] = "com.zentak.stats.provider.counter_instance";

const std::string kValueDefinition = std::string(kValueName) +
                                     "{chandle: integer, opaque: optional<opaque>, "
                                     "raw: optional<integer>, value: optional<double>}";
const std::string kResourceIdDefinition =
    std::string(kResourceIdName) + "{id_value: string, key: string, scheme: string, type: string}";
const std::string kMessageDefinition = std::string(Jorv::Std::kLocalizableMessageName) +
                                       "{args: list<string>, default_message: string, id: string}";

std::shared_ptr<const Value> MakeValue(long long chandle) {
  auto value = std::make_shared<Value>();
  value->chandle = chandle;
  return value;
}

TEST(CoreRecords, WireIdentifiersNameTheWrittenStructures) {
  Result result;
  Snapshot snapshot;
  const struct {
    std::string typeName;
    DataValuePtr written;
    const char* expected;
  } cases[] = {
      {TypeInfo<CounterInstance>::name(), WriteOk(CounterInstance()), kCounterInstanceName},
      {TypeInfo<Value>::name(), WriteOk(Value()), kValueName},
      {TypeInfo<ResourceId>::name(), WriteOk(ResourceId()), kResourceIdName},
      {TypeInfo<Snapshot>::name(), WriteOk(Snapshot()), kSnapshotName},
      {TypeInfo<Result>::name(), WriteOk(Result()), kResultName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.typeName, c.expected);
    ASSERT_TRUE(c.written && c.written->GetType() == Jorv::Data::DataType::STRUCTURE);
    EXPECT_EQ(static_cast<const Jorv::Data::StructValue&>(*c.written).GetName(), c.expected);
  }
}

TEST(CoreRecords, ValueWithOnlyChandleWritesFourFieldsAndReadsBackUnset) {
  const DataValuePtr written = WriteOk(*MakeValue(-7));
  const DataValuePtr expected =
      Struct(kValueName,
             {{"chandle", Int(-7)}, {"raw", Unset()}, {"value", Unset()}, {"opaque", Unset()}});
  EXPECT_TRUE(SameValue(written, expected));

  // None of the samples is required; the handle is.
  const Value read = ReadOk<Value>(Struct(kValueName, {{"chandle", Int(3)}}));
  EXPECT_EQ(read.chandle, 3);
  EXPECT_FALSE(read.raw);
  EXPECT_FALSE(read.value);
  EXPECT_FALSE(read.opaque);
  EXPECT_EQ(read.unknownFields, nullptr);

  const BaseMessage m = ReadFails<Value>(Struct(kValueName, {{"raw", Some(Int(1))}}));
  EXPECT_EQ(m.GetId(), "jorv.data.missing.field");
  EXPECT_EQ(m.GetArgs(), (Strings{"chandle", kValueName}));
}

TEST(CoreRecords, ValueSamplesRoundTripAndAnEmptyOpaqueFails) {
  Value value;
  value.chandle = 1;
  value.raw = 42;
  value.value = 0.5;
  value.opaque = Jorv::Data::Opaque(Str("held"));
  const DataValuePtr written = WriteOk(value);
  EXPECT_TRUE(SameValue(written, Struct(kValueName, {{"chandle", Int(1)},
                                                     {"raw", Some(Int(42))},
                                                     {"value", Some(Real(0.5))},
                                                     {"opaque", Some(Str("held"))}})));
  EXPECT_TRUE(SameValue(WriteOk(ReadOk<Value>(written)), written));

  value.opaque = Jorv::Data::Opaque(nullptr);
  const BaseMessage m = WriteFails(value);
  EXPECT_EQ(m.GetId(), "jorv.data.unset.field");
  EXPECT_EQ(m.GetArgs(), Strings{"Opaque"});
}

TEST(CoreRecords, CounterInstanceResourceIdsTravelAsMapList) {
  CounterInstance instance;
  instance.counter = "cpu.usage";
  instance.chandle = 9;
  EXPECT_TRUE(
      SameValue(WriteOk(instance), Struct(kCounterInstanceName, {{"counter", Str("cpu.usage")},
                                                                 {"edition", Unset()},
                                                                 {"chandle", Int(9)},
                                                                 {"resource_ids", List(3, {})}})));
  const CounterInstance empty = ReadOk<CounterInstance>(WriteOk(instance));
  EXPECT_TRUE(empty.resource_ids.empty());
  EXPECT_EQ(empty.chandle, 9);

  instance.edition = 2;
  instance.resource_ids = {{"vm", "vm-12"}, {"host", "h1"}};
  const DataValuePtr written = WriteOk(instance);
  EXPECT_TRUE(SameValue(FieldOf(written, "resource_ids"),
                        List(3, {MapEntry("host", "h1"), MapEntry("vm", "vm-12")})));
  const CounterInstance read = ReadOk<CounterInstance>(written);
  EXPECT_EQ(read.resource_ids, instance.resource_ids);
  EXPECT_EQ(read.edition, boost::optional<long long>(2));
}

TEST(CoreRecords, SnapshotUnsetAndEmptyResourceIdsReadBackDifferently) {
  Snapshot unset;
  Snapshot empty;
  empty.resource_ids.emplace();
  const DataValuePtr writtenUnset = WriteOk(unset);
  const DataValuePtr writtenEmpty = WriteOk(empty);
  EXPECT_TRUE(SameValue(
      writtenUnset, Struct(kSnapshotName, {{"resource_ids", Unset()}, {"values", List(1, {})}})));
  EXPECT_TRUE(SameValue(writtenEmpty, Struct(kSnapshotName, {{"resource_ids", Some(List(1, {}))},
                                                             {"values", List(1, {})}})));
  EXPECT_FALSE(ReadOk<Snapshot>(writtenUnset).resource_ids);
  const Snapshot readEmpty = ReadOk<Snapshot>(writtenEmpty);
  ASSERT_TRUE(readEmpty.resource_ids);
  EXPECT_TRUE(readEmpty.resource_ids->empty());
}

TEST(CoreRecords, ResourceIdKeepsAnUndeclaredFieldAndWritesItBack) {
  const DataValuePtr extra = Struct("com.example.extension", {{"level", Int(2)}});
  const DataValuePtr received = Struct(kResourceIdName, {{"key", Str("vm")},
                                                         {"type", Str("VirtualMachine")},
                                                         {"scheme", Str("moref")},
                                                         {"id_value", Str("vm-12")},
                                                         {"annotation", extra}});
  const ResourceId read = ReadOk<ResourceId>(received);
  EXPECT_EQ(read.id_value, "vm-12");
  ASSERT_NE(read.unknownFields, nullptr);
  ASSERT_EQ(read.unknownFields->GetFields().size(), 1u);
  EXPECT_EQ(read.unknownFields->GetFields().at("annotation").get(), extra.get());
  EXPECT_TRUE(SameValue(WriteOk(read), received));
}

TEST(CoreRecords, ResultRoundTripsAndNullElementsNameTheirType) {
  auto snapshot = std::make_shared<Snapshot>();
  auto resource = std::make_shared<ResourceId>();
  resource->key = "host";
  snapshot->resource_ids = std::list<std::shared_ptr<const ResourceId>>{resource};
  snapshot->values = {MakeValue(1), MakeValue(2)};
  Result result;
  result.query = "q-1";
  result.timestamp = Jorv::DateTime::FromMillisSinceEpoch(1796577587123);
  result.snapshots = {snapshot};
  result.messages = {Com::Zentak::Jorv::Std::LocalizableMessage::From(
      BaseMessage("stats.partial", "Partial result.", {"cpu"}))};

  const DataValuePtr written = WriteOk(result);
  EXPECT_TRUE(SameValue(FieldOf(written, "timestamp"), Str("2026-12-06T17:19:47.123Z")));
  EXPECT_TRUE(SameValue(FieldOf(written, "messages"),
                        List(1, {Struct(Jorv::Std::kLocalizableMessageName,
                                        {{"id", Str("stats.partial")},
                                         {"default_message", Str("Partial result.")},
                                         {"args", List(1, {Str("cpu")})}})})));
  const Result read = ReadOk<Result>(written);
  EXPECT_EQ(read.timestamp, result.timestamp);
  EXPECT_TRUE(WriteSame(read, result));

  const struct {
    const char* what;
    Result broken;
    const char* argument;
  } cases[] = {
      {"null snapshot",
       [&] {
         Result r = result;
         r.snapshots.push_back(nullptr);
         return r;
       }(),
       kSnapshotName},
      {"null value",
       [&] {
         auto s = std::make_shared<Snapshot>(*snapshot);
         s->values.push_back(nullptr);
         Result r = result;
         r.snapshots = {s};
         return r;
       }(),
       kValueName},
      {"null resource id",
       [&] {
         auto s = std::make_shared<Snapshot>(*snapshot);
         s->resource_ids->push_front(nullptr);
         Result r = result;
         r.snapshots = {s};
         return r;
       }(),
       kResourceIdName},
      {"null message",
       [&] {
         Result r = result;
         r.messages.push_back(nullptr);
         return r;
       }(),
       Jorv::Std::kLocalizableMessageName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const BaseMessage m = WriteFails(c.broken);
    EXPECT_EQ(m.GetId(), "jorv.data.unset.non.optional.field");
    EXPECT_EQ(m.GetArgs(), Strings{c.argument});
  }

  const BaseMessage m = WriteFails(std::shared_ptr<const Result>());
  EXPECT_EQ(m.GetId(), "jorv.data.unset.non.optional.field");
  EXPECT_EQ(m.GetArgs(), Strings{kResultName});
}

TEST(CoreRecords, DefaultInstanceIsAFreshDefaultRecordOnEveryCall) {
  const auto first = TypeInfo<Result>::defaultInstance(nullptr);
  const auto second = TypeInfo<Result>::defaultInstance(Str("ignored"));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first.get(), second.get());
  first->query = "changed";
  EXPECT_EQ(second->query, "");
  EXPECT_EQ(second->timestamp, Jorv::DateTime());
  EXPECT_TRUE(second->snapshots.empty());
  EXPECT_TRUE(second->messages.empty());
  EXPECT_EQ(second->unknownFields, nullptr);

  EXPECT_EQ(TypeInfo<CounterInstance>::defaultInstance(nullptr)->chandle, 0);
  EXPECT_EQ(TypeInfo<Value>::defaultInstance(nullptr)->chandle, 0);
}

TEST(CoreRecords, StructInfoNamesTheSingleIdentifierField) {
  const struct {
    std::shared_ptr<Jorv::Metadata::StructInfo> (*create)();
    const char* name;
    const char* field;
    const char* resourceType;
  } cases[] = {
      {&Jorv::Metadata::StructInfo::Create<Result>, "com.zentak.stats.provider.Result", "query",
       "StatsQuery"},
      {&Jorv::Metadata::StructInfo::Create<CounterInstance>,
       "com.zentak.stats.provider.CounterInstance", "counter", "StatsCounter"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto info = c.create();
    const auto again = c.create();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->name, c.name);
    EXPECT_EQ(info->reserved, nullptr);
    EXPECT_FALSE(info->text);
    ASSERT_EQ(info->fields.size(), 1u);
    const auto& field = info->fields.begin();
    EXPECT_EQ(field->first, c.field);
    EXPECT_EQ(field->second->resourceType, c.resourceType);
    EXPECT_EQ(field->second->reserved, nullptr);
    EXPECT_FALSE(field->second->flag);
    EXPECT_TRUE(field->second->properties.empty());
    EXPECT_FALSE(field->second->text);

    // Every call builds new objects with the same contents.
    ASSERT_NE(again, nullptr);
    EXPECT_NE(info.get(), again.get());
    EXPECT_EQ(again->name, info->name);
    ASSERT_EQ(again->fields.size(), 1u);
    EXPECT_NE(again->fields.begin()->second.get(), field->second.get());
    EXPECT_EQ(again->fields.begin()->first, field->first);
    EXPECT_EQ(again->fields.begin()->second->resourceType, field->second->resourceType);
  }
}

TEST(CoreRecords, DefinitionsFollowTheFieldKinds) {
  EXPECT_EQ(DefinitionText(Define<Result>()),
            std::string(kResultName) + "{messages: list<" + kMessageDefinition +
                ">, query: string, snapshots: list<" + kSnapshotName +
                "{resource_ids: optional<list<" + kResourceIdDefinition + ">>, values: list<" +
                kValueDefinition + ">}>, timestamp: date-time}");
  EXPECT_EQ(DefinitionText(Define<CounterInstance>()),
            std::string(kCounterInstanceName) +
                "{chandle: integer, counter: string, edition: optional<integer>, "
                "resource_ids: list<map-entry{key: string, value: string}>}");
  EXPECT_EQ(DefinitionText(Define<std::shared_ptr<const Value>>()), kValueDefinition);
}

// Holds Value in two places besides the one inside Snapshot.
struct Samples : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.samples";
  std::shared_ptr<const Value> latest;
  boost::optional<std::list<std::shared_ptr<const Value>>> history;
  std::list<std::shared_ptr<const Snapshot>> snapshots;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("latest", &Samples::latest);
      f.Field("history", &Samples::history);
      f.Field("snapshots", &Samples::snapshots);
    }
  };
};

TEST(CoreRecords, ValueIsDefinedOnceAndSharedWithinOneDerivation) {
  using Jorv::Data::DataDefinitionPtr;
  using Jorv::Data::ListDefinition;
  using Jorv::Data::OptionalDefinition;
  using Jorv::Data::StructDefinition;
  const auto fieldsOf = [](const DataDefinitionPtr& d) -> const StructDefinition::Fields& {
    return static_cast<const StructDefinition&>(*d).GetFields();
  };
  const auto elementOf = [](const DataDefinitionPtr& d) {
    return static_cast<const ListDefinition&>(*d).GetElement();
  };
  const DataDefinitionPtr samples = Define<Samples>();
  const DataDefinitionPtr latest = fieldsOf(samples).at("latest");
  const DataDefinitionPtr history = elementOf(
      static_cast<const OptionalDefinition&>(*fieldsOf(samples).at("history")).GetElement());
  const DataDefinitionPtr snapshot = elementOf(fieldsOf(samples).at("snapshots"));
  const DataDefinitionPtr inSnapshot = elementOf(fieldsOf(snapshot).at("values"));
  EXPECT_EQ(DefinitionText(latest), kValueDefinition);
  EXPECT_EQ(latest.get(), history.get());
  EXPECT_EQ(latest.get(), inSnapshot.get());

  // A second derivation builds its own.
  EXPECT_NE(fieldsOf(Define<Samples>()).at("latest").get(), latest.get());
}

}  // namespace
