#include "stats/provider/result.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "stats/provider/stats_provider.h"
#include "support/values.h"

namespace {

namespace P = Com::Zentak::Stats::Provider;
namespace C = P::CountersSvc;
namespace Q = P::QueriesSvc;
namespace S = P::StreamSvc;
namespace V = P::Values;
using Jorv::Data::DataDefinitionPtr;
using Jorv::Data::DefinitionType;
using Jorv::Data::StructDefinition;
using Jorv::Testing::Define;

// `text` with each '@' standing for the package prefix of the records.
std::string Expand(const std::string& text) {
  std::string out;
  for (char c : text)
    out += c == '@' ? std::string("com.zentak.stats.provider.") : std::string(1, c);
  return out;
}

// A definition in one line as Testing::DefinitionText writes it, except that a structure below
// the top one is written as its name alone.
std::string Shallow(const DataDefinitionPtr& definition, bool top = true) {
  switch (definition->GetType()) {
    case DefinitionType::LIST:
      return "list<" +
             Shallow(static_cast<const Jorv::Data::ListDefinition&>(*definition).GetElement(),
                     false) +
             ">";
    case DefinitionType::OPTIONAL:
      return "optional<" +
             Shallow(static_cast<const Jorv::Data::OptionalDefinition&>(*definition).GetElement(),
                     false) +
             ">";
    case DefinitionType::STRUCTURE: {
      const auto& structure = static_cast<const StructDefinition&>(*definition);
      if (!top) return structure.GetName();
      std::string text = structure.GetName() + "{";
      for (const auto& field : structure.GetFields()) {
        text +=
            (text.back() == '{' ? "" : ", ") + field.first + ": " + Shallow(field.second, false);
      }
      return text + "}";
    }
    default:
      return Jorv::Testing::DefinitionText(definition);
  }
}

// The wire identifier of every record and every member's name, kind and optionality.
TEST(Records, DefinitionsListEveryMemberWithItsKind) {
  const std::string m = "com.zentak.jorv.std.localizable_message";
  const std::string info = "{description: " + m + ", label: " + m + ", ";
  const std::pair<DataDefinitionPtr, std::string> rows[] = {
      {Define<P::ResourceId>(),
       "@resource_id{id_value: string, key: string, scheme: string, type: string}"},
      {Define<P::Value>(),
       "@value{chandle: integer, opaque: optional<opaque>, raw: optional<integer>, value: "
       "optional<double>}"},
      {Define<P::Snapshot>(),
       "@snapshot{resource_ids: optional<list<@resource_id>>, values: list<@value>}"},
      {Define<P::CounterInstance>(),
       "@counter_instance{chandle: integer, counter: string, edition: optional<integer>, "
       "resource_ids: list<map-entry>}"},
      {Define<P::Result>(),
       "@result{messages: list<" + m +
           ">, query: string, snapshots: list<@snapshot>, timestamp: date-time}"},
      {Define<C::UserInfo>(), "@counters.user_info{description: " + m + ", label: " + m + "}"},
      {Define<C::TypeInfo>(), "@counters.type_info" + info + "type: string}"},
      {Define<C::UnitInfo>(), "@counters.unit_info" + info + "unit: string}"},
      {Define<C::UnitFactorInfo>(), "@counters.unit_factor_info" + info + "unit_factor: string}"},
      {Define<C::RollupInfo>(), "@counters.rollup_info" + info + "rollup: string}"},
      {Define<C::ResourceIdTypeInfo>(), "@counters.resource_id_type_info" + info + "type: string}"},
      {Define<C::ResourceIdDef>(), "@counters.resource_id_def{description: " + m +
                                       ", key: string, label: " + m +
                                       ", parent: optional<string>, query_options: string, "
                                       "type_info: @counters.resource_id_type_info}"},
      {Define<C::Metadata>(),
       "@counters.metadata{description: " + m + ", id: integer, label: " + m +
           ", rollups: list<@counters.rollup_info>, status: string, type_info: "
           "@counters.type_info, unit_factor_info: @counters.unit_factor_info, "
           "unit_factor_info_secondary: optional<@counters.unit_factor_info>, unit_info: "
           "@counters.unit_info, unit_info_secondary: optional<@counters.unit_info>}"},
      {Define<C::StatsCounter>(),
       "@counters.stats_counter{editions: list<@counters.metadata>, id: string, metric: string, "
       "rsrc_id_schema: list<@counters.resource_id_def>}"},
      {Define<C::ListResult>(),
       "@counters.list_result{last_updated: integer, registered: list<@counters.stats_counter>, "
       "unregistered: list<string>}"},
      {Define<C::ResourceIdDefFilter>(),
       "@counters.resource_id_def_filter{key: optional<string>, query_options: optional<string>, "
       "type: optional<string>}"},
      {Define<C::RsrcIdSchemaFilter>(),
       "@counters.rsrc_id_schema_filter{count: optional<integer>, key: optional<string>, type: "
       "optional<string>}"},
      {Define<C::Filter>(),
       "@counters.filter{metric: optional<string>, prefix: optional<string>, resource_id: "
       "optional<list<@counters.resource_id_def_filter>>, resource_ids: "
       "optional<@counters.rsrc_id_schema_filter>}"},
      {Define<Q::CreateSpec>(),
       "@queries.create_spec{instances: list<@counter_instance>, time_to_live: integer, view: "
       "optional<string>}"},
      {Define<Q::CreateResult>(),
       "@queries.create_result{messages: list<" + m + ">, query: string}"},
      {Define<Q::Info>(),
       "@queries.info{instances: list<@counter_instance>, owner: string, query: string, "
       "time_to_live: integer, view: string}"},
      {Define<Q::UpdateSpec>(),
       "@queries.update_spec{instances_to_add: optional<list<@counter_instance>>, "
       "instances_to_remove: optional<list<@counter_instance>>, time_to_live: optional<integer>}"},
      {Define<S::CreateSpec>(),
       "@stream.create_spec{buffer: optional<integer>, interval: integer, timeout: "
       "optional<integer>}"},
      {Define<S::Info>(), "@stream.info{buffer: integer, interval: integer, timeout: integer}"},
      {Define<S::UpdateSpec>(),
       "@stream.update_spec{buffer: optional<integer>, interval: optional<integer>, timeout: "
       "optional<integer>}"},
      {Define<S::AttachSpec>(),
       "@stream.attach_spec{client_id: string, from_timestamp: optional<date-time>}"},
      {Define<V::SimpleHistogram>(),
       "@values.simple_histogram{bins: list<double>, values: list<double>}"},
      {Define<V::TraceTag>(), "@values.trace_tag{key: string, value: opaque, value_type: string}"},
      {Define<V::TraceLog>(),
       "@values.trace_log{fields: list<@values.trace_tag>, timestamp: integer}"},
      {Define<V::TraceSpan>(),
       "@values.trace_span{duration: integer, logs: optional<list<@values.trace_log>>, "
       "parent_span_id: integer, span_id: integer, start_time: integer, tags: "
       "optional<list<@values.trace_tag>>, trace_id: integer}"},
      {Define<Com::Zentak::Jorv::Std::LocalizableMessage>(),
       m + "{args: list<string>, default_message: string, id: string}"},
  };
  for (const auto& row : rows) EXPECT_EQ(Shallow(row.first), Expand(row.second));
}

// Checks enumeration E: its wire identifier, and its enumerators given in declared order, which
// must be numbered from 0 and named as the literals of its table, followed there by "_UNKNOWN"
// at the index of _UNKNOWN and a null pointer.
template <class E>
void ExpectEnumeration(const std::string& wireName, const std::vector<std::uint32_t>& enumerators,
                       const std::string& names) {
  SCOPED_TRACE(wireName);
  EXPECT_EQ(Jorv::Data::TypeInfo<E>::name(), Expand(wireName));
  std::vector<std::uint32_t> numbering(enumerators.size());
  std::iota(numbering.begin(), numbering.end(), 0u);
  EXPECT_EQ(enumerators, numbering);
  std::vector<std::string> literals;
  std::istringstream in(names);
  for (std::string name; std::getline(in, name, ',');) {
    literals.push_back(name.substr(name.rfind(':') + 1));
  }
  literals.push_back("_UNKNOWN");
  EXPECT_EQ(E::_UNKNOWN, enumerators.size());
  ASSERT_EQ(std::size(E::Strings::values), literals.size() + 1);
  EXPECT_EQ(E::Strings::values[literals.size()], nullptr);
  EXPECT_EQ(std::vector<std::string>(E::Strings::values, E::Strings::values + literals.size()),
            literals);
}
#define EXPECT_ENUMERATION(E, wireName, ...) \
  ExpectEnumeration<E>(wireName, {__VA_ARGS__}, #__VA_ARGS__)

TEST(Records, EnumerationsListTheirLiteralsInEnumeratorOrder) {
  using T = C::Type;
  using U = C::Unit;
  using F = C::UnitFactor;
  using R = C::Rollup;
  using Tag = V::TraceTagEnumerations::Type;
  EXPECT_ENUMERATION(T, "@counters.type", T::ABSOLUTE, T::DELTA, T::RATE, T::RAW, T::FRACTION,
                     T::LOGN, T::TRACE_SPAN, T::SIMPLE_HISTOGRAM);
  EXPECT_ENUMERATION(U, "@counters.unit", U::PERCENT, U::NUMBER, U::SECOND, U::HERTZ, U::METER,
                     U::METERSPERSECOND, U::METERSPERSECONDSQUARED, U::BYTE, U::BIT,
                     U::BYTESPERSECOND, U::BITSPERSECOND, U::REVSPERMINUTE, U::GRAM, U::CELSIUS,
                     U::KELVIN, U::JOULE, U::WATT, U::VOLT, U::AMPERE, U::VOLTAMPERE, U::CANDELA,
                     U::MOLE);
  EXPECT_ENUMERATION(F, "@counters.unit_factor", F::YOTTA, F::ZETTA, F::EXA, F::PETA, F::TERA,
                     F::GIGA, F::MEGA, F::KILO, F::HECTO, F::DECA, F::ONE, F::DECI, F::CENTI,
                     F::MILLI, F::MICRO, F::NANO, F::PIKO, F::FEMTO, F::ATTO, F::ZEPTO, F::YOCTO,
                     F::YOBI, F::ZEBI, F::EXBI, F::PEBI, F::TEBI, F::GIBI, F::MEBI, F::KIBI);
  EXPECT_ENUMERATION(R, "@counters.rollup", R::NONE, R::AVERAGE, R::MAXIMUM, R::MINIMUM, R::LATEST,
                     R::SUMMATION, R::FIRST, R::MEDIAN, R::PERCENTILE99, R::PERCENTILE95,
                     R::PERCENTILE90, R::PERCENTILE05, R::PERCENTILE01);
  EXPECT_ENUMERATION(C::QueryCapabilities, "@counters.query_capabilities",
                     C::QueryCapabilities::EQUAL, C::QueryCapabilities::EQUAL_ALL);
  EXPECT_ENUMERATION(C::Status, "@counters.status", C::Status::DEFAULT, C::Status::CURRENT,
                     C::Status::DEPRECATED, C::Status::EXPERIMENTAL, C::Status::REMOVED);
  EXPECT_ENUMERATION(Tag, "@values.trace_tag.type", Tag::BINARY, Tag::BOOLEAN, Tag::DOUBLE,
                     Tag::LONG, Tag::STRING);
}

TEST(Records, StructInfoNamesTheIdentifierMember) {
  using Jorv::Metadata::StructInfo;
  const std::tuple<std::shared_ptr<StructInfo>, const char*, const char*, const char*> rows[] = {
      {StructInfo::Create<P::Result>(), "@Result", "query", "StatsQuery"},
      {StructInfo::Create<P::CounterInstance>(), "@CounterInstance", "counter", "StatsCounter"},
      {StructInfo::Create<C::ListResult>(), "@Counters.ListResult", "unregistered", "StatsCounter"},
      {StructInfo::Create<C::StatsCounter>(), "@Counters.StatsCounter", "id", "StatsCounter"},
      {StructInfo::Create<Q::Info>(), "@Queries.Info", "query", "StatsQuery"},
      {StructInfo::Create<Q::CreateResult>(), "@Queries.CreateResult", "query", "StatsQuery"},
  };
  for (const auto& [info, name, field, resourceType] : rows) {
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->name, Expand(name));
    ASSERT_EQ(info->fields.size(), 1u) << name;
    EXPECT_EQ(info->fields.begin()->first, field);
    EXPECT_EQ(info->fields.begin()->second->resourceType, resourceType);
  }
}

// Default-initialises a T in storage filled with a nonzero pattern, so that an integer member
// without an initialiser shows the pattern, and expects each of `members` to read 0.
template <class T, class... Members>
void ExpectZeroIntegers(Members... members) {
  SCOPED_TRACE(Jorv::Data::TypeInfo<T>::name());
  alignas(T) unsigned char storage[sizeof(T)];
  volatile unsigned char* bytes = storage;
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = 0xA5;
  T* volatile constructed = new (storage) T;
  T* record = constructed;
  EXPECT_EQ((std::vector<long long>{(record->*members)...}),
            std::vector<long long>(sizeof...(members), 0));
  record->~T();
}

TEST(Records, DefaultConstructedIntegersAreZero) {
  ExpectZeroIntegers<P::Value>(&P::Value::chandle);
  ExpectZeroIntegers<P::CounterInstance>(&P::CounterInstance::chandle);
  ExpectZeroIntegers<C::Metadata>(&C::Metadata::id);
  ExpectZeroIntegers<C::ListResult>(&C::ListResult::last_updated);
  ExpectZeroIntegers<Q::CreateSpec>(&Q::CreateSpec::time_to_live);
  ExpectZeroIntegers<Q::Info>(&Q::Info::time_to_live);
  ExpectZeroIntegers<S::CreateSpec>(&S::CreateSpec::interval);
  ExpectZeroIntegers<S::Info>(&S::Info::interval, &S::Info::timeout, &S::Info::buffer);
  ExpectZeroIntegers<V::TraceLog>(&V::TraceLog::timestamp);
  ExpectZeroIntegers<V::TraceSpan>(&V::TraceSpan::trace_id, &V::TraceSpan::span_id,
                                   &V::TraceSpan::parent_span_id, &V::TraceSpan::start_time,
                                   &V::TraceSpan::duration);
}

}  // namespace
