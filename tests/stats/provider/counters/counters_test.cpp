#include "stats/provider/counters/counters.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <boost/optional/optional_io.hpp>

#include "framework/core/value_ops.h"
#include "framework/data/native_to_definition.h"
#include "framework/data/value_to_native.h"
#include "support/values.h"

namespace {

using namespace Com::Zentak::Stats::Provider::CountersSvc;
using namespace Jorv::Testing;
using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::DefinitionType;
using LocalizableMessage = Com::Zentak::Jorv::Std::LocalizableMessage;
using Messages = std::list<BaseMessage>;

template <class T>
std::string WireName() {
  return Jorv::Data::TypeInfo<T>::name();
}

template <class T>
bool Read(const DataValuePtr& value, T& out, Messages& messages) {
  return Jorv::Data::ValueToNativeAdapter::Adapt(
      value, Jorv::Data::ValueToNativeAdapter::AdaptMethod<T>::Get(), &out, messages);
}

template <class T>
T ReadOk(const DataValuePtr& value) {
  T out;
  Messages messages;
  EXPECT_TRUE(Read(value, out, messages));
  EXPECT_TRUE(messages.empty()) << messages.front().GetId();
  return out;
}

const DataValuePtr& FieldOf(const DataValuePtr& structure, const std::string& name) {
  return static_cast<const Jorv::Data::StructValue&>(*structure).GetFields().at(name);
}

// `structure` without its field `name`.
DataValuePtr Without(const DataValuePtr& structure, const std::string& name) {
  const auto& s = static_cast<const Jorv::Data::StructValue&>(*structure);
  auto copy = Jorv::Data::StructValue::GetInstance(s.GetName());
  for (const auto& field : s.GetFields()) {
    if (field.first != name) copy->SetField(field.first, field.second);
  }
  return copy;
}

std::shared_ptr<const LocalizableMessage> Text(const std::string& id) {
  auto message = std::make_shared<LocalizableMessage>();
  message->id = id;
  message->default_message = id + ".";
  return message;
}

DataValuePtr TextValue(const std::string& id) {
  return Struct(LocalizableMessage::kTypeName,
                {{"id", Str(id)}, {"default_message", Str(id + ".")}, {"args", List(1, {})}});
}

// One of the four enumerator-and-text records, or a ResourceIdTypeInfo.
DataValuePtr InfoValue(const std::string& type, const std::string& field, const std::string& text) {
  return Struct(type,
                {{field, Str(text)}, {"label", TextValue("l")}, {"description", TextValue("d")}});
}

DataValuePtr MetadataValue() {
  return Struct(Metadata::kTypeName,
                {{"id", Int(2)},
                 {"status", Str("CURRENT")},
                 {"type_info", InfoValue(TypeInfo::kTypeName, "type", "RATE")},
                 {"unit_info", InfoValue(UnitInfo::kTypeName, "unit", "BYTESPERSECOND")},
                 {"unit_factor_info", InfoValue(UnitFactorInfo::kTypeName, "unit_factor", "KIBI")},
                 {"unit_info_secondary", Some(InfoValue(UnitInfo::kTypeName, "unit", "PERCENT"))},
                 {"unit_factor_info_secondary", Unset()},
                 {"rollups", List(1, {InfoValue(RollupInfo::kTypeName, "rollup", "AVERAGE"),
                                      InfoValue(RollupInfo::kTypeName, "rollup", "percentile42")})},
                 {"label", TextValue("edition.label")},
                 {"description", TextValue("edition.description")},
                 {"x_added_later", Str("kept")}});
}

DataValuePtr ResourceIdDefValue() {
  return Struct(ResourceIdDef::kTypeName,
                {{"key", Str("nic")},
                 {"type_info", InfoValue(ResourceIdTypeInfo::kTypeName, "type", "host.nic")},
                 {"parent", Some(Str("host"))},
                 {"query_options", Str("EQUAL_ALL")},
                 {"label", TextValue("nic.label")},
                 {"description", TextValue("nic.description")}});
}

DataValuePtr ListResultValue() {
  const DataValuePtr full =
      Struct(StatsCounter::kTypeName, {{"id", Str("net.rx")},
                                       {"metric", Str("net.rx.bytes")},
                                       {"rsrc_id_schema", List(1, {ResourceIdDefValue()})},
                                       {"editions", List(1, {MetadataValue()})}});
  const DataValuePtr bare = Struct(StatsCounter::kTypeName, {{"id", Str("mem.free")},
                                                             {"metric", Str("mem.free.bytes")},
                                                             {"rsrc_id_schema", List(1, {})},
                                                             {"editions", List(1, {})}});
  return Struct(ListResult::kTypeName, {{"last_updated", Int(1700000000123)},
                                        {"registered", List(1, {full, bare})},
                                        {"unregistered", List(1, {Str("disk.old")})}});
}

Metadata FilledMetadata() {
  Metadata m;
  auto type = std::make_shared<TypeInfo>();
  type->type = Type::DELTA;
  type->label = Text("t");
  type->description = Text("t");
  auto unit = std::make_shared<UnitInfo>();
  unit->label = unit->description = Text("u");
  auto factor = std::make_shared<UnitFactorInfo>();
  factor->label = factor->description = Text("f");
  m.type_info = type;
  m.unit_info = unit;
  m.unit_factor_info = factor;
  m.label = m.description = Text("m");
  return m;
}

struct EnumerationTable {
  std::string wireName;
  std::vector<std::string> literals;  // up to the ending null pointer
  std::uint32_t unknown;
};

// `text` split at spaces, then "_UNKNOWN": a literal table as written out.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  words.push_back("_UNKNOWN");
  return words;
}

template <class E>
EnumerationTable TableOf() {
  EnumerationTable table{WireName<E>(), {}, E::_UNKNOWN};
  for (const char* const* p = E::Strings::values; *p != nullptr; ++p) table.literals.push_back(*p);
  return table;
}

TEST(CountersEnumerations, WireIdentifiersAndLiteralTables) {
  const std::string p = "com.zentak.stats.provider.counters.";
  const std::pair<EnumerationTable, EnumerationTable> cases[] = {
      {TableOf<Type>(),
       {p + "type", Words("ABSOLUTE DELTA RATE RAW FRACTION LOGN TRACE_SPAN SIMPLE_HISTOGRAM"), 8}},
      {TableOf<Unit>(),
       {p + "unit",
        Words("PERCENT NUMBER SECOND HERTZ METER METERSPERSECOND METERSPERSECONDSQUARED BYTE BIT "
              "BYTESPERSECOND BITSPERSECOND REVSPERMINUTE GRAM CELSIUS KELVIN JOULE WATT VOLT "
              "AMPERE VOLTAMPERE CANDELA MOLE"),
        22}},
      {TableOf<UnitFactor>(),
       {p + "unit_factor",
        Words("YOTTA ZETTA EXA PETA TERA GIGA MEGA KILO HECTO DECA ONE DECI CENTI MILLI MICRO "
              "NANO PIKO FEMTO ATTO ZEPTO YOCTO YOBI ZEBI EXBI PEBI TEBI GIBI MEBI KIBI"),
        29}},
      {TableOf<Rollup>(),
       {p + "rollup",
        Words("NONE AVERAGE MAXIMUM MINIMUM LATEST SUMMATION FIRST MEDIAN PERCENTILE99 "
              "PERCENTILE95 PERCENTILE90 PERCENTILE05 PERCENTILE01"),
        13}},
      {TableOf<QueryCapabilities>(), {p + "query_capabilities", Words("EQUAL EQUAL_ALL"), 2}},
      {TableOf<Status>(),
       {p + "status", Words("DEFAULT CURRENT DEPRECATED EXPERIMENTAL REMOVED"), 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second.wireName);
    EXPECT_EQ(c.first.wireName, c.second.wireName);
    EXPECT_EQ(c.first.literals, c.second.literals);
    EXPECT_EQ(c.first.unknown, c.second.unknown);
  }
  // Enumerator names index their own literals.
  EXPECT_STREQ(Type::Strings::values[Type::TRACE_SPAN], "TRACE_SPAN");
  EXPECT_STREQ(Unit::Strings::values[Unit::VOLTAMPERE], "VOLTAMPERE");
  EXPECT_STREQ(UnitFactor::Strings::values[UnitFactor::ONE], "ONE");
  EXPECT_STREQ(UnitFactor::Strings::values[UnitFactor::YOBI], "YOBI");
  EXPECT_STREQ(Rollup::Strings::values[Rollup::PERCENTILE05], "PERCENTILE05");
  EXPECT_STREQ(QueryCapabilities::Strings::values[QueryCapabilities::EQUAL_ALL], "EQUAL_ALL");
  EXPECT_STREQ(Status::Strings::values[Status::EXPERIMENTAL], "EXPERIMENTAL");
}

TEST(CountersRecords, WireIdentifiers) {
  const std::string p = "com.zentak.stats.provider.counters.";
  const std::pair<std::string, std::string> cases[] = {
      {WireName<UserInfo>(), p + "user_info"},
      {WireName<TypeInfo>(), p + "type_info"},
      {WireName<UnitInfo>(), p + "unit_info"},
      {WireName<UnitFactorInfo>(), p + "unit_factor_info"},
      {WireName<RollupInfo>(), p + "rollup_info"},
      {WireName<ResourceIdTypeInfo>(), p + "resource_id_type_info"},
      {WireName<ResourceIdDef>(), p + "resource_id_def"},
      {WireName<Metadata>(), p + "metadata"},
      {WireName<StatsCounter>(), p + "stats_counter"},
      {WireName<ListResult>(), p + "list_result"},
      {WireName<ResourceIdDefFilter>(), p + "resource_id_def_filter"},
      {WireName<RsrcIdSchemaFilter>(), p + "rsrc_id_schema_filter"},
      {WireName<Filter>(), p + "filter"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.first, c.second);
  EXPECT_EQ(Metadata().id, 0);
  EXPECT_EQ(ListResult().last_updated, 0);
}

TEST(CountersEnumerations, ReadKeepsUnknownTextAndWritesItBack) {
  struct Case {
    std::string received;
    Type::Enumerator enumerator;
    std::string unknownText;
    std::string written;
  };
  const Case cases[] = {
      {"RATE", Type::RATE, "", "RATE"},
      {"SIMPLE_HISTOGRAM", Type::SIMPLE_HISTOGRAM, "", "SIMPLE_HISTOGRAM"},
      {"rate", Type::_UNKNOWN, "rate", "rate"},
      {"_UNKNOWN", Type::_UNKNOWN, "", "_UNKNOWN"},
      {"", Type::_UNKNOWN, "", "_UNKNOWN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.received);
    const TypeInfo info = ReadOk<TypeInfo>(InfoValue(TypeInfo::kTypeName, "type", c.received));
    EXPECT_EQ(info.type.GetEnumerator(), c.enumerator);
    EXPECT_EQ(info.type.GetUnknownText(), c.unknownText);
    EXPECT_TRUE(Jorv::Data::Equals(FieldOf(WriteOk(info), "type"), Str(c.written)));
  }
}

TEST(CountersEnumerations, NonStringIsATypeMismatchAndBeyondUnknownWritesUnknown) {
  TypeInfo info;
  Messages messages;
  const DataValuePtr wrongKind =
      Struct(TypeInfo::kTypeName,
             {{"type", Int(2)}, {"label", TextValue("l")}, {"description", TextValue("d")}});
  EXPECT_FALSE(Read(wrongKind, info, messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().GetId(), "jorv.data.type.mismatch");
  EXPECT_EQ(messages.front().GetArgs(), (std::list<std::string>{"string", "integer"}));

  TypeInfo beyond;
  beyond.type = Type(static_cast<Type::Enumerator>(Type::_UNKNOWN + 1));
  beyond.label = beyond.description = Text("b");
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(WriteOk(beyond), "type"), Str("_UNKNOWN")));
}

TEST(CountersRecords, DefaultEnumerationsWriteUnknown) {
  TypeInfo type;
  type.label = type.description = Text("t");
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(WriteOk(type), "type"), Str("_UNKNOWN")));

  const DataValuePtr metadata = WriteOk(FilledMetadata());
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(metadata, "status"), Str("_UNKNOWN")));
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(metadata, "id"), Int(0)));
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(metadata, "unit_info_secondary"), Unset()));
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(metadata, "rollups"), List(1, {})));

  ResourceIdDef def;
  auto typeInfo = std::make_shared<ResourceIdTypeInfo>();
  typeInfo->label = typeInfo->description = Text("r");
  def.type_info = typeInfo;
  def.label = def.description = Text("d");
  const DataValuePtr written = WriteOk(def);
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(written, "query_options"), Str("_UNKNOWN")));
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(written, "parent"), Unset()));
}

template <class T>
void ExpectUnsetMember(const T& record, const std::string& typeName) {
  SCOPED_TRACE(typeName);
  DataValuePtr out;
  Messages messages;
  EXPECT_FALSE(Write(record, out, messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().GetId(), "jorv.data.unset.non.optional.field");
  EXPECT_EQ(messages.front().GetArgs(), std::list<std::string>{typeName});
}

TEST(CountersRecords, NullRequiredMemberStopsWritingWithItsTypeName) {
  const std::string p = "com.zentak.stats.provider.counters.";
  Metadata metadata = FilledMetadata();
  metadata.type_info = nullptr;
  ExpectUnsetMember(metadata, p + "type_info");
  metadata = FilledMetadata();
  metadata.unit_factor_info = nullptr;
  ExpectUnsetMember(metadata, p + "unit_factor_info");
  metadata = FilledMetadata();
  metadata.rollups.push_back(nullptr);
  ExpectUnsetMember(metadata, p + "rollup_info");
  metadata = FilledMetadata();
  metadata.label = nullptr;
  ExpectUnsetMember(metadata, LocalizableMessage::kTypeName);
  UserInfo user;
  user.label = Text("u");
  ExpectUnsetMember(user, LocalizableMessage::kTypeName);
  ResourceIdDef def;
  def.label = def.description = Text("d");
  ExpectUnsetMember(def, p + "resource_id_type_info");
  ListResult result;
  result.registered.push_back(nullptr);
  ExpectUnsetMember(result, p + "stats_counter");
}

template <class T>
void ExpectMissingField(const DataValuePtr& value, const std::string& field) {
  SCOPED_TRACE(field);
  T record;
  Messages messages;
  EXPECT_FALSE(Read(value, record, messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().GetId(), "jorv.data.missing.field");
  EXPECT_EQ(messages.front().GetArgs(), (std::list<std::string>{field, WireName<T>()}));
}

TEST(CountersRecords, MissingRequiredFieldsAreRejectedAndOptionalOnesAccepted) {
  ExpectMissingField<Metadata>(Without(MetadataValue(), "rollups"), "rollups");
  ExpectMissingField<Metadata>(Without(MetadataValue(), "status"), "status");
  ExpectMissingField<ResourceIdDef>(Without(ResourceIdDefValue(), "key"), "key");
  ExpectMissingField<StatsCounter>(
      Struct(StatsCounter::kTypeName,
             {{"metric", Str("m")}, {"rsrc_id_schema", List(1, {})}, {"editions", List(1, {})}}),
      "id");

  const Metadata metadata = ReadOk<Metadata>(
      Without(Without(MetadataValue(), "unit_info_secondary"), "unit_factor_info_secondary"));
  EXPECT_FALSE(metadata.unit_info_secondary);
  EXPECT_FALSE(metadata.unit_factor_info_secondary);
  const ResourceIdDef def = ReadOk<ResourceIdDef>(Without(ResourceIdDefValue(), "parent"));
  EXPECT_FALSE(def.parent);
  EXPECT_EQ(def.query_options, QueryCapabilities::EQUAL_ALL);
  const Filter filter = ReadOk<Filter>(Struct(Filter::kTypeName, {}));
  EXPECT_TRUE(!filter.metric && !filter.prefix && !filter.resource_id && !filter.resource_ids);
}

TEST(CountersFilter, UnsetAndEmptyResourceIdListStayApart) {
  const Filter unset = ReadOk<Filter>(Struct(Filter::kTypeName, {{"resource_id", Unset()}}));
  const Filter empty =
      ReadOk<Filter>(Struct(Filter::kTypeName, {{"resource_id", Some(List(1, {}))}}));
  EXPECT_FALSE(unset.resource_id);
  ASSERT_TRUE(empty.resource_id);
  EXPECT_TRUE(empty.resource_id->empty());
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(WriteOk(unset), "resource_id"), Unset()));
  EXPECT_TRUE(Jorv::Data::Equals(FieldOf(WriteOk(empty), "resource_id"), Some(List(1, {}))));
}

TEST(CountersFilter, UndeclaredFieldIsKeptAndWrittenBack) {
  const DataValuePtr extra = List(1, {Str("a"), Int(1)});
  const DataValuePtr received =
      Struct(Filter::kTypeName,
             {{"metric", Some(Str("cpu.usage"))},
              {"prefix", Unset()},
              {"resource_id", Some(List(1, {Struct(ResourceIdDefFilter::kTypeName,
                                                   {{"key", Some(Str("cpu"))},
                                                    {"type", Unset()},
                                                    {"query_options", Some(Str("EQUAL"))}})}))},
              {"resource_ids",
               Some(Struct(RsrcIdSchemaFilter::kTypeName,
                           {{"key", Unset()}, {"type", Unset()}, {"count", Some(Int(2))}}))},
              {"match_mode", extra}});
  const Filter filter = ReadOk<Filter>(received);
  ASSERT_TRUE(filter.unknownFields);
  ASSERT_EQ(filter.unknownFields->GetFields().size(), 1u);
  EXPECT_EQ(filter.unknownFields->GetFields().at("match_mode").get(), extra.get());
  ASSERT_TRUE(filter.resource_id && filter.resource_id->size() == 1);
  ASSERT_TRUE(filter.resource_id->front()->query_options);
  EXPECT_EQ(filter.resource_id->front()->query_options->GetEnumerator(), QueryCapabilities::EQUAL);
  ASSERT_TRUE(filter.resource_ids);
  EXPECT_EQ(filter.resource_ids->count, boost::optional<long long>(2));
  const DataValuePtr written = WriteOk(filter);
  EXPECT_TRUE(Jorv::Data::Equals(written, received)) << Jorv::Data::ToText(written);
}

TEST(CountersListResult, RoundTripsEveryLevel) {
  const DataValuePtr received = ListResultValue();
  const ListResult result = ReadOk<ListResult>(received);
  EXPECT_EQ(result.last_updated, 1700000000123);
  EXPECT_EQ(result.unregistered, std::list<std::string>{"disk.old"});
  ASSERT_EQ(result.registered.size(), 2u);
  const StatsCounter& counter = *result.registered.front();
  EXPECT_EQ(counter.id, "net.rx");
  ASSERT_EQ(counter.rsrc_id_schema.size(), 1u);
  EXPECT_EQ(counter.rsrc_id_schema.front()->type_info->type, "host.nic");
  EXPECT_EQ(counter.rsrc_id_schema.front()->parent, boost::optional<std::string>("host"));
  ASSERT_EQ(counter.editions.size(), 1u);
  const Metadata& edition = *counter.editions.front();
  EXPECT_EQ(edition.id, 2);
  EXPECT_EQ(edition.status, Status::CURRENT);
  EXPECT_EQ(edition.type_info->type, Type::RATE);
  EXPECT_EQ(edition.unit_info->unit, Unit::BYTESPERSECOND);
  EXPECT_EQ(edition.unit_factor_info->unit_factor, UnitFactor::KIBI);
  ASSERT_TRUE(edition.unit_info_secondary);
  EXPECT_EQ(edition.unit_info_secondary->unit, Unit::PERCENT);
  EXPECT_FALSE(edition.unit_factor_info_secondary);
  ASSERT_EQ(edition.rollups.size(), 2u);
  EXPECT_EQ(edition.rollups.back()->rollup.GetUnknownText(), "percentile42");
  EXPECT_EQ(edition.label->id, "edition.label");
  ASSERT_TRUE(edition.unknownFields);
  EXPECT_EQ(edition.unknownFields->GetFields().count("x_added_later"), 1u);

  const DataValuePtr written = WriteOk(result);
  EXPECT_TRUE(Jorv::Data::Equals(written, received))
      << "written:  " << Jorv::Data::ToText(written)
      << "\nreceived: " << Jorv::Data::ToText(received);
}

TEST(CountersStructInfo, NamesTheSingleIdentifierField) {
  using Jorv::Metadata::StructInfo;
  struct Case {
    std::function<std::shared_ptr<StructInfo>()> create;
    std::string name;
    std::string field;
  };
  const Case cases[] = {
      {&StructInfo::Create<ListResult>, "com.zentak.stats.provider.Counters.ListResult",
       "unregistered"},
      {&StructInfo::Create<StatsCounter>, "com.zentak.stats.provider.Counters.StatsCounter", "id"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto first = c.create();
    const auto second = c.create();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    for (const auto& info : {first, second}) {
      EXPECT_EQ(info->name, c.name);
      EXPECT_FALSE(info->text);
      ASSERT_EQ(info->fields.size(), 1u);
      ASSERT_EQ(info->fields.count(c.field), 1u);
      EXPECT_EQ(info->fields.at(c.field)->resourceType, "StatsCounter");
      EXPECT_FALSE(info->fields.at(c.field)->text);
    }
    EXPECT_NE(first->fields.at(c.field).get(), second->fields.at(c.field).get());
  }
}

template <class T>
Jorv::Data::DataDefinitionPtr DefinitionOf() {
  Jorv::Data::DataDefinitionPtr definition;
  Jorv::Data::NativeToDefinitionAdapter::Adapt(
      Jorv::Data::NativeToDefinitionAdapter::AdaptMethod<T>::Get(), &definition, {});
  return definition;
}

const Jorv::Data::StructDefinition& AsStructDefinition(const Jorv::Data::DataDefinitionPtr& d) {
  EXPECT_EQ(d->GetType(), DefinitionType::STRUCTURE);
  return static_cast<const Jorv::Data::StructDefinition&>(*d);
}

// The element of an optional or list definition.
Jorv::Data::DataDefinitionPtr ElementOf(const Jorv::Data::DataDefinitionPtr& d) {
  if (d->GetType() == DefinitionType::LIST) {
    return static_cast<const Jorv::Data::ListDefinition&>(*d).GetElement();
  }
  EXPECT_EQ(d->GetType(), DefinitionType::OPTIONAL);
  return static_cast<const Jorv::Data::OptionalDefinition&>(*d).GetElement();
}

TEST(CountersDefinitions, EnumerationsAreStringsAndRecordsNest) {
  EXPECT_EQ(DefinitionOf<Unit>()->GetType(), DefinitionType::STRING);

  const auto metadataDefinition = DefinitionOf<Metadata>();
  const auto& metadata = AsStructDefinition(metadataDefinition);
  EXPECT_EQ(metadata.GetName(), Metadata::kTypeName);
  ASSERT_EQ(metadata.GetFields().size(), 10u);
  const auto& f = metadata.GetFields();
  EXPECT_EQ(f.at("id")->GetType(), DefinitionType::INTEGER);
  EXPECT_EQ(f.at("status")->GetType(), DefinitionType::STRING);
  EXPECT_EQ(AsStructDefinition(f.at("type_info")).GetName(), TypeInfo::kTypeName);
  EXPECT_EQ(AsStructDefinition(ElementOf(f.at("unit_info_secondary"))).GetName(),
            UnitInfo::kTypeName);
  EXPECT_EQ(AsStructDefinition(ElementOf(f.at("rollups"))).GetName(), RollupInfo::kTypeName);
  EXPECT_EQ(AsStructDefinition(f.at("label")).GetName(), LocalizableMessage::kTypeName);

  const auto filterDefinition = DefinitionOf<Filter>();
  const auto& filter = AsStructDefinition(filterDefinition).GetFields();
  const auto& element = AsStructDefinition(ElementOf(ElementOf(filter.at("resource_id"))));
  EXPECT_EQ(element.GetName(), ResourceIdDefFilter::kTypeName);
  EXPECT_EQ(ElementOf(element.GetFields().at("query_options"))->GetType(), DefinitionType::STRING);
  const auto& schema = AsStructDefinition(ElementOf(filter.at("resource_ids")));
  EXPECT_EQ(ElementOf(schema.GetFields().at("count"))->GetType(), DefinitionType::INTEGER);
}

}  // namespace
