#include "stats/provider/result.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <regex>
#include <string>
#include <type_traits>
#include <vector>

#include "fuzz/targets.h"
#include "support/values.h"

namespace {

namespace P = Com::Zentak::Stats::Provider;
namespace C = P::CountersSvc;
namespace Q = P::QueriesSvc;
namespace S = P::StreamSvc;
namespace V = P::Values;
using Jorv::Data::DefinitionType;

// `text` without the package prefixes of the bindings and the standard records.
std::string Short(const std::string& text) {
  return std::regex_replace(
      text, std::regex(R"(com\.zentak\.(stats\.provider|jorv\.std(\.errors)?)\.)"), "");
}

// A definition in one line without the package prefixes, as Testing::DefinitionText writes it
// except that the structures inside the top one, or all structures when `top` is false, are
// written as their names alone.
std::string Shallow(const Jorv::Data::DataDefinitionPtr& definition, bool top = true) {
  std::string text = Jorv::Testing::DefinitionText(definition);
  // Drops the innermost lists of members, one level at a time.
  const std::regex inner(top ? R"((\{[^{}]*)\{[^{}]*\})" : R"(()\{[^{}]*\})");
  while (std::regex_search(text, inner)) text = std::regex_replace(text, inner, "$1");
  return Short(text);
}

// Whether record T names its structure info.
template <class T, class = void>
struct HasStructInfo : std::false_type {};
template <class T>
struct HasStructInfo<T, std::void_t<decltype(T::kStructInfoName)>> : std::true_type {};

// Every record: its wire identifier and each member's name, kind and optionality, then, with
// structure info, its name and the resource type of each identifier member. Every method: its
// wire name, input, output and the errors it declares beyond the three every method declares.
TEST(Records, DefinitionsOfEveryRecordAndMethod) {
  const std::string common = " service_unavailable unauthenticated unauthorized";
  std::string text;
  Jorv::Fuzz::ForEachType(Jorv::Fuzz::Targets::Records(), [&text](auto tag) {
    using T = typename decltype(tag)::Type;
    const auto definition = Jorv::Testing::Define<T>();
    if (definition->GetType() != DefinitionType::STRUCTURE) return;
    text += Shallow(definition);
    if constexpr (HasStructInfo<T>::value) {
      const auto info = Jorv::Metadata::StructInfo::Create<T>();
      text += " | " + Short(info->name);
      for (const auto& [name, field] : info->fields) text += " " + name + ":" + field->resourceType;
    }
    text += "\n";
  });
  Jorv::Fuzz::ForEachType(Jorv::Fuzz::Targets::Methods(), [&](auto tag) {
    using M = typename decltype(tag)::Type;
    std::string errors;
    for (const auto& error : M::errorDefs()) errors += " " + Shallow(error, false);
    EXPECT_EQ(errors.substr(0, common.size()), common) << M::methodName();
    text += Short(M::ServiceInterface::kTypeName) + "." + M::methodName() + " " +
            Shallow(M::inputDef()) + " -> " + Shallow(M::outputDef(), false) + " |" +
            errors.substr(common.size()) + "\n";
  });
  EXPECT_EQ(
      text,
      R"(counter_instance{chandle: integer, counter: string, edition: optional<integer>, resource_ids: list<map-entry>} | CounterInstance counter:StatsCounter
resource_id{id_value: string, key: string, scheme: string, type: string}
result{messages: list<localizable_message>, query: string, snapshots: list<snapshot>, timestamp: date-time} | Result query:StatsQuery
snapshot{resource_ids: optional<list<resource_id>>, values: list<value>}
value{chandle: integer, opaque: optional<opaque>, raw: optional<integer>, value: optional<double>}
counters.resource_id_def_filter{key: optional<string>, query_options: optional<string>, type: optional<string>}
counters.rsrc_id_schema_filter{count: optional<integer>, key: optional<string>, type: optional<string>}
counters.filter{metric: optional<string>, prefix: optional<string>, resource_id: optional<list<counters.resource_id_def_filter>>, resource_ids: optional<counters.rsrc_id_schema_filter>}
counters.type_info{description: localizable_message, label: localizable_message, type: string}
counters.unit_info{description: localizable_message, label: localizable_message, unit: string}
counters.unit_factor_info{description: localizable_message, label: localizable_message, unit_factor: string}
counters.rollup_info{description: localizable_message, label: localizable_message, rollup: string}
counters.resource_id_type_info{description: localizable_message, label: localizable_message, type: string}
counters.resource_id_def{description: localizable_message, key: string, label: localizable_message, parent: optional<string>, query_options: string, type_info: counters.resource_id_type_info}
counters.metadata{description: localizable_message, id: integer, label: localizable_message, rollups: list<counters.rollup_info>, status: string, type_info: counters.type_info, unit_factor_info: counters.unit_factor_info, unit_factor_info_secondary: optional<counters.unit_factor_info>, unit_info: counters.unit_info, unit_info_secondary: optional<counters.unit_info>}
counters.stats_counter{editions: list<counters.metadata>, id: string, metric: string, rsrc_id_schema: list<counters.resource_id_def>} | Counters.StatsCounter id:StatsCounter
counters.list_result{last_updated: integer, registered: list<counters.stats_counter>, unregistered: list<string>} | Counters.ListResult unregistered:StatsCounter
counters.user_info{description: localizable_message, label: localizable_message}
queries.create_spec{instances: list<counter_instance>, time_to_live: integer, view: optional<string>}
queries.create_result{messages: list<localizable_message>, query: string} | Queries.CreateResult query:StatsQuery
queries.info{instances: list<counter_instance>, owner: string, query: string, time_to_live: integer, view: string} | Queries.Info query:StatsQuery
queries.update_spec{instances_to_add: optional<list<counter_instance>>, instances_to_remove: optional<list<counter_instance>>, time_to_live: optional<integer>}
stream.attach_spec{client_id: string, from_timestamp: optional<date-time>}
stream.create_spec{buffer: optional<integer>, interval: integer, timeout: optional<integer>}
stream.info{buffer: integer, interval: integer, timeout: integer}
stream.update_spec{buffer: optional<integer>, interval: optional<integer>, timeout: optional<integer>}
values.simple_histogram{bins: list<double>, values: list<double>}
values.trace_tag{key: string, value: opaque, value_type: string}
values.trace_log{fields: list<values.trace_tag>, timestamp: integer}
values.trace_span{duration: integer, logs: optional<list<values.trace_log>>, parent_span_id: integer, span_id: integer, start_time: integer, tags: optional<list<values.trace_tag>>, trace_id: integer}
localizable_message{args: list<string>, default_message: string, id: string}
not_found{messages: list<localizable_message>}
invalid_argument{messages: list<localizable_message>}
counters.list operation_input{filter: optional<list<counters.filter>>, since: optional<integer>} -> counters.list_result |
queries.create operation_input{spec: queries.create_spec} -> queries.create_result | not_found invalid_argument unable_to_allocate_resource
queries.list operation_input{} -> list<string> |
queries.get operation_input{query: string} -> queries.info | not_found
queries.update operation_input{query: string, spec: queries.update_spec} -> void | not_found invalid_argument resource_busy
queries.delete operation_input{query: string} -> void | not_found
queries.execute operation_input{query: string} -> result | not_found resource_busy
stream.create operation_input{query: string, spec: stream.create_spec} -> void | not_found unable_to_allocate_resource already_in_desired_state
stream.get operation_input{query: string} -> stream.info | not_found
stream.update operation_input{query: string, spec: stream.update_spec} -> void | not_found unable_to_allocate_resource not_allowed_in_current_state
stream.attach operation_input{query: string, spec: stream.attach_spec} -> result | not_found unsupported resource_busy canceled not_allowed_in_current_state
stream.delete operation_input{query: string} -> void | not_found not_allowed_in_current_state
)");
}

// Checks enumeration E: its wire identifier, and its enumerators given in declared order, which
// must be numbered from 0 and named as the literals of its table, which ends with "_UNKNOWN" at
// the index of _UNKNOWN and a null pointer.
template <class E>
void ExpectEnumeration(const std::string& wireName, const std::vector<std::uint32_t>& enumerators,
                       const std::string& names) {
  SCOPED_TRACE(wireName);
  EXPECT_EQ(Short(Jorv::Data::TypeInfo<E>::name()), wireName);
  for (std::size_t i = 0; i < enumerators.size(); ++i) EXPECT_EQ(enumerators[i], i);
  EXPECT_EQ(E::_UNKNOWN, enumerators.size());
  std::string table;
  for (const char* literal : E::Strings::values) table += literal ? literal + std::string(",") : "";
  EXPECT_EQ(table, std::regex_replace(names, std::regex(R"(\w+::|\s)"), "") + ",_UNKNOWN,");
  EXPECT_EQ(std::size(E::Strings::values), enumerators.size() + 2);
}
#define EXPECT_ENUMERATION(E, wireName, ...) \
  ExpectEnumeration<E>(wireName, {__VA_ARGS__}, #__VA_ARGS__)

TEST(Records, EnumerationsListTheirLiteralsInEnumeratorOrder) {
  using T = C::Type;
  using U = C::Unit;
  using F = C::UnitFactor;
  using R = C::Rollup;
  using Tag = V::TraceTagEnumerations::Type;
  EXPECT_ENUMERATION(T, "counters.type", T::ABSOLUTE, T::DELTA, T::RATE, T::RAW, T::FRACTION,
                     T::LOGN, T::TRACE_SPAN, T::SIMPLE_HISTOGRAM);
  EXPECT_ENUMERATION(U, "counters.unit", U::PERCENT, U::NUMBER, U::SECOND, U::HERTZ, U::METER,
                     U::METERSPERSECOND, U::METERSPERSECONDSQUARED, U::BYTE, U::BIT,
                     U::BYTESPERSECOND, U::BITSPERSECOND, U::REVSPERMINUTE, U::GRAM, U::CELSIUS,
                     U::KELVIN, U::JOULE, U::WATT, U::VOLT, U::AMPERE, U::VOLTAMPERE, U::CANDELA,
                     U::MOLE);
  EXPECT_ENUMERATION(F, "counters.unit_factor", F::YOTTA, F::ZETTA, F::EXA, F::PETA, F::TERA,
                     F::GIGA, F::MEGA, F::KILO, F::HECTO, F::DECA, F::ONE, F::DECI, F::CENTI,
                     F::MILLI, F::MICRO, F::NANO, F::PIKO, F::FEMTO, F::ATTO, F::ZEPTO, F::YOCTO,
                     F::YOBI, F::ZEBI, F::EXBI, F::PEBI, F::TEBI, F::GIBI, F::MEBI, F::KIBI);
  EXPECT_ENUMERATION(R, "counters.rollup", R::NONE, R::AVERAGE, R::MAXIMUM, R::MINIMUM, R::LATEST,
                     R::SUMMATION, R::FIRST, R::MEDIAN, R::PERCENTILE99, R::PERCENTILE95,
                     R::PERCENTILE90, R::PERCENTILE05, R::PERCENTILE01);
  EXPECT_ENUMERATION(C::QueryCapabilities, "counters.query_capabilities",
                     C::QueryCapabilities::EQUAL, C::QueryCapabilities::EQUAL_ALL);
  EXPECT_ENUMERATION(C::Status, "counters.status", C::Status::DEFAULT, C::Status::CURRENT,
                     C::Status::DEPRECATED, C::Status::EXPERIMENTAL, C::Status::REMOVED);
  EXPECT_ENUMERATION(Tag, "values.trace_tag.type", Tag::BINARY, Tag::BOOLEAN, Tag::DOUBLE,
                     Tag::LONG, Tag::STRING);
}

// Default-initialises a T in storage filled with a nonzero pattern, so that an integer member
// without an initialiser shows the pattern, and expects each of `members` to read 0.
template <class T, class... Integers>
void ExpectZeroIntegers(Integers T::*... members) {
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
  ExpectZeroIntegers(&P::Value::chandle);
  ExpectZeroIntegers(&P::CounterInstance::chandle);
  ExpectZeroIntegers(&C::Metadata::id);
  ExpectZeroIntegers(&C::ListResult::last_updated);
  ExpectZeroIntegers(&Q::CreateSpec::time_to_live);
  ExpectZeroIntegers(&Q::Info::time_to_live);
  ExpectZeroIntegers(&S::CreateSpec::interval);
  ExpectZeroIntegers(&S::Info::interval, &S::Info::timeout, &S::Info::buffer);
  ExpectZeroIntegers(&V::TraceLog::timestamp);
  ExpectZeroIntegers(&V::TraceSpan::trace_id, &V::TraceSpan::span_id, &V::TraceSpan::parent_span_id,
                     &V::TraceSpan::start_time, &V::TraceSpan::duration);
}

}  // namespace
