#include "stats/provider/result.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <memory>
#include <new>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "stats/provider/counter_instance.h"
#include "stats/provider/counters/counters.h"
#include "stats/provider/queries/queries.h"
#include "stats/provider/stream/stream.h"
#include "stats/provider/values/values.h"
#include "support/conversions.h"

namespace {

namespace P = Com::Zentak::Stats::Provider;
namespace C = P::CountersSvc;
namespace Q = P::QueriesSvc;
namespace S = P::StreamSvc;
namespace V = P::Values;
using Jorv::BaseMessage;
using Jorv::Data::DataDefinitionPtr;
using Jorv::Data::DataValuePtr;
using namespace Jorv::Testing;
using Message = Com::Zentak::Jorv::Std::LocalizableMessage;

// `text` with each '@' standing for the package prefix of the records.
std::string Expand(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c == '@' ? std::string("com.zentak.stats.provider.") : std::string(1, c);
  }
  return out;
}

const std::string& NameOf(const DataValuePtr& structure) {
  return static_cast<const Jorv::Data::StructValue&>(*structure).GetName();
}

// The definition text carries each record's wire identifier and every field's name, kind and
// optionality, nested records included.
TEST(Records, DefinitionsListEveryFieldWithItsKind) {
  const std::string m = std::string(Jorv::Std::kLocalizableMessageName) +
                        "{args: list<string>, default_message: string, id: string}";
  const auto info = [&](const std::string& name, const std::string& field) {
    return "@counters." + name + "{description: " + m + ", label: " + m + ", " + field +
           ": string}";
  };
  const std::string resourceId =
      "@resource_id{id_value: string, key: string, scheme: string, type: string}";
  const std::string value =
      "@value{chandle: integer, opaque: optional<opaque>, raw: optional<integer>, "
      "value: optional<double>}";
  const std::string snapshot =
      "@snapshot{resource_ids: optional<list<" + resourceId + ">>, values: list<" + value + ">}";
  const std::string instance =
      "@counter_instance{chandle: integer, counter: string, edition: optional<integer>, "
      "resource_ids: list<map-entry{key: string, value: string}>}";
  const std::string typeInfo = info("type_info", "type"), unitInfo = info("unit_info", "unit"),
                    factorInfo = info("unit_factor_info", "unit_factor"),
                    rollupInfo = info("rollup_info", "rollup"),
                    resourceIdTypeInfo = info("resource_id_type_info", "type");
  const std::string resourceIdDef = "@counters.resource_id_def{description: " + m +
                                    ", key: string, label: " + m +
                                    ", parent: optional<string>, query_options: string, "
                                    "type_info: " +
                                    resourceIdTypeInfo + "}";
  const std::string metadata =
      "@counters.metadata{description: " + m + ", id: integer, label: " + m + ", rollups: list<" +
      rollupInfo + ">, status: string, " + "type_info: " + typeInfo +
      ", unit_factor_info: " + factorInfo + ", unit_factor_info_secondary: optional<" + factorInfo +
      ">, unit_info: " + unitInfo + ", unit_info_secondary: optional<" + unitInfo + ">}";
  const std::string counter = "@counters.stats_counter{editions: list<" + metadata +
                              ">, id: string, metric: string, rsrc_id_schema: list<" +
                              resourceIdDef + ">}";
  const std::string idDefFilter =
      "@counters.resource_id_def_filter{key: optional<string>, query_options: optional<string>, "
      "type: optional<string>}";
  const std::string schemaFilter =
      "@counters.rsrc_id_schema_filter{count: optional<integer>, key: optional<string>, "
      "type: optional<string>}";
  const std::string tag = "@values.trace_tag{key: string, value: opaque, value_type: string}";
  const std::string log = "@values.trace_log{fields: list<" + tag + ">, timestamp: integer}";

  const std::pair<DataDefinitionPtr, std::string> cases[] = {
      {Define<P::ResourceId>(), resourceId},
      {Define<P::Value>(), value},
      {Define<P::Snapshot>(), snapshot},
      {Define<P::CounterInstance>(), instance},
      {Define<P::Result>(), "@result{messages: list<" + m + ">, query: string, snapshots: list<" +
                                snapshot + ">, timestamp: date-time}"},
      {Define<C::UserInfo>(), "@counters.user_info{description: " + m + ", label: " + m + "}"},
      {Define<C::TypeInfo>(), typeInfo},
      {Define<C::UnitInfo>(), unitInfo},
      {Define<C::UnitFactorInfo>(), factorInfo},
      {Define<C::RollupInfo>(), rollupInfo},
      {Define<C::ResourceIdTypeInfo>(), resourceIdTypeInfo},
      {Define<C::ResourceIdDef>(), resourceIdDef},
      {Define<C::Metadata>(), metadata},
      {Define<C::StatsCounter>(), counter},
      {Define<C::ListResult>(), "@counters.list_result{last_updated: integer, registered: list<" +
                                    counter + ">, unregistered: list<string>}"},
      {Define<C::ResourceIdDefFilter>(), idDefFilter},
      {Define<C::RsrcIdSchemaFilter>(), schemaFilter},
      {Define<C::Filter>(),
       "@counters.filter{metric: optional<string>, prefix: optional<string>, resource_id: "
       "optional<list<" +
           idDefFilter + ">>, resource_ids: optional<" + schemaFilter + ">}"},
      {Define<Q::CreateSpec>(), "@queries.create_spec{instances: list<" + instance +
                                    ">, time_to_live: integer, view: optional<string>}"},
      {Define<Q::CreateResult>(),
       "@queries.create_result{messages: list<" + m + ">, query: string}"},
      {Define<Q::Info>(), "@queries.info{instances: list<" + instance +
                              ">, owner: string, query: string, time_to_live: integer, "
                              "view: string}"},
      {Define<Q::UpdateSpec>(), "@queries.update_spec{instances_to_add: optional<list<" + instance +
                                    ">>, instances_to_remove: optional<list<" + instance +
                                    ">>, time_to_live: optional<integer>}"},
      {Define<S::CreateSpec>(),
       "@stream.create_spec{buffer: optional<integer>, interval: integer, "
       "timeout: optional<integer>}"},
      {Define<S::Info>(), "@stream.info{buffer: integer, interval: integer, timeout: integer}"},
      {Define<S::UpdateSpec>(),
       "@stream.update_spec{buffer: optional<integer>, interval: optional<integer>, "
       "timeout: optional<integer>}"},
      {Define<S::AttachSpec>(),
       "@stream.attach_spec{client_id: string, from_timestamp: optional<date-time>}"},
      {Define<V::SimpleHistogram>(),
       "@values.simple_histogram{bins: list<double>, values: list<double>}"},
      {Define<V::TraceTag>(), tag},
      {Define<V::TraceLog>(), log},
      {Define<V::TraceSpan>(), "@values.trace_span{duration: integer, logs: optional<list<" + log +
                                   ">>, parent_span_id: integer, span_id: integer, start_time: "
                                   "integer, tags: optional<list<" +
                                   tag + ">>, trace_id: integer}"},
  };
  for (const auto& c : cases) EXPECT_EQ(DefinitionText(c.first), Expand(c.second));
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

TEST(Records, EnumerationKeepsUnknownTextAndWritesItBack) {
  const struct {
    const char* received;
    C::Type::Enumerator enumerator;
    const char* unknownText;
    const char* written;
  } cases[] = {
      {"RATE", C::Type::RATE, "", "RATE"},
      {"rate", C::Type::_UNKNOWN, "rate", "rate"},
      {"_UNKNOWN", C::Type::_UNKNOWN, "", "_UNKNOWN"},
      {"", C::Type::_UNKNOWN, "", "_UNKNOWN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.received);
    const C::Type read = ReadOk<C::Type>(Str(c.received));
    EXPECT_EQ(read.GetEnumerator(), c.enumerator);
    EXPECT_EQ(read.GetUnknownText(), c.unknownText);
    EXPECT_TRUE(SameValue(WriteOk(read), Str(c.written)));
  }
  const C::Type beyond(static_cast<C::Type::Enumerator>(C::Type::_UNKNOWN + 1));
  EXPECT_TRUE(SameValue(WriteOk(beyond), Str("_UNKNOWN")));
}

template <class T, class List>
void ExpectUnsetAndEmptyApart(boost::optional<List> T::*member) {
  SCOPED_TRACE(Jorv::Data::TypeInfo<T>::name());
  T empty;
  (empty.*member).emplace();
  EXPECT_FALSE(ReadOk<T>(WriteOk(T())).*member);
  const boost::optional<List> read = ReadOk<T>(WriteOk(empty)).*member;
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->empty());
}

TEST(Records, UnsetAndEmptyOptionalListsReadBackApart) {
  ExpectUnsetAndEmptyApart(&P::Snapshot::resource_ids);
  ExpectUnsetAndEmptyApart(&C::Filter::resource_id);
  ExpectUnsetAndEmptyApart(&Q::UpdateSpec::instances_to_remove);
  ExpectUnsetAndEmptyApart(&V::TraceSpan::tags);
}

TEST(Records, UndeclaredFieldsAreKeptAndWrittenBack) {
  const std::pair<void (*)(const DataValuePtr&), DataValuePtr> cases[] = {
      {&ExpectKeepsUnknownField<P::ResourceId>, WriteOk(P::ResourceId())},
      {&ExpectKeepsUnknownField<C::Filter>, WriteOk(C::Filter())},
      {&ExpectKeepsUnknownField<Q::UpdateSpec>, WriteOk(Q::UpdateSpec())},
      {&ExpectKeepsUnknownField<S::CreateSpec>, WriteOk(S::CreateSpec())},
      {&ExpectKeepsUnknownField<V::SimpleHistogram>, WriteOk(V::SimpleHistogram())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(NameOf(c.second));
    c.first(c.second);
  }
}

TEST(Records, MissingRequiredFieldIsRejectedAndMissingOptionalOneAccepted) {
  const struct {
    void (*check)(const DataValuePtr&, const std::string&, bool);
    DataValuePtr full;
    const char* field;
    bool required;
  } cases[] = {
      {&ExpectFieldRequirement<P::Value>, WriteOk(P::Value()), "chandle", true},
      {&ExpectFieldRequirement<P::Value>, WriteOk(P::Value()), "raw", false},
      {&ExpectFieldRequirement<C::StatsCounter>, WriteOk(C::StatsCounter()), "id", true},
      {&ExpectFieldRequirement<C::Filter>, WriteOk(C::Filter()), "metric", false},
      {&ExpectFieldRequirement<Q::CreateSpec>, WriteOk(Q::CreateSpec()), "time_to_live", true},
      {&ExpectFieldRequirement<Q::CreateSpec>, WriteOk(Q::CreateSpec()), "view", false},
      {&ExpectFieldRequirement<S::AttachSpec>, WriteOk(S::AttachSpec()), "client_id", true},
      {&ExpectFieldRequirement<S::AttachSpec>, WriteOk(S::AttachSpec()), "from_timestamp", false},
      {&ExpectFieldRequirement<V::TraceSpan>, WriteOk(V::TraceSpan()), "trace_id", true},
      {&ExpectFieldRequirement<V::TraceSpan>, WriteOk(V::TraceSpan()), "tags", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(NameOf(c.full));
    c.check(c.full, c.field, c.required);
  }
}

TEST(Records, NullRequiredMemberIsRejectedNamingItsType) {
  const auto message = std::make_shared<Message>();
  C::ResourceIdDef def;
  def.label = def.description = message;
  C::UserInfo user;
  user.label = message;
  Q::CreateSpec spec;
  spec.instances = {nullptr};
  V::TraceLog log;
  log.fields = {nullptr};
  P::Snapshot snapshot;
  snapshot.values = {nullptr};
  const std::pair<BaseMessage, std::string> cases[] = {
      {WriteFails(def), "@counters.resource_id_type_info"},
      {WriteFails(user), Jorv::Std::kLocalizableMessageName},
      {WriteFails(spec), "@counter_instance"},
      {WriteFails(log), "@values.trace_tag"},
      {WriteFails(snapshot), "@value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second);
    EXPECT_EQ(c.first.GetId(), "jorv.data.unset.non.optional.field");
    EXPECT_EQ(c.first.GetArgs(), std::list<std::string>{Expand(c.second)});
  }
}

TEST(Records, StructInfoNamesTheIdentifierField) {
  using Jorv::Metadata::StructInfo;
  const struct {
    std::shared_ptr<StructInfo> info;
    const char* name;
    const char* field;
    const char* resourceType;
  } cases[] = {
      {StructInfo::Create<P::Result>(), "@Result", "query", "StatsQuery"},
      {StructInfo::Create<P::CounterInstance>(), "@CounterInstance", "counter", "StatsCounter"},
      {StructInfo::Create<C::ListResult>(), "@Counters.ListResult", "unregistered", "StatsCounter"},
      {StructInfo::Create<C::StatsCounter>(), "@Counters.StatsCounter", "id", "StatsCounter"},
      {StructInfo::Create<Q::Info>(), "@Queries.Info", "query", "StatsQuery"},
      {StructInfo::Create<Q::CreateResult>(), "@Queries.CreateResult", "query", "StatsQuery"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.info, nullptr);
    EXPECT_EQ(c.info->name, Expand(c.name));
    ASSERT_EQ(c.info->fields.size(), 1u);
    EXPECT_EQ(c.info->fields.begin()->first, c.field);
    EXPECT_EQ(c.info->fields.begin()->second->resourceType, c.resourceType);
  }
  // Every call builds new objects with the same contents.
  const auto again = StructInfo::Create<P::Result>();
  EXPECT_NE(again.get(), cases[0].info.get());
  EXPECT_NE(again->fields.at("query").get(), cases[0].info->fields.at("query").get());
  EXPECT_EQ(again->name, cases[0].info->name);
  EXPECT_EQ(again->fields.at("query")->resourceType, "StatsQuery");
}

// Holds Value directly and inside Snapshot.
struct Samples : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.samples";
  std::shared_ptr<const P::Value> latest;
  std::list<std::shared_ptr<const P::Snapshot>> snapshots;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("latest", &Samples::latest);
      f.Field("snapshots", &Samples::snapshots);
    }
  };
};

TEST(Records, ValueMembersShareOneDefinitionWithinADerivation) {
  using Jorv::Data::ListDefinition;
  using Jorv::Data::StructDefinition;
  const auto field = [](const DataDefinitionPtr& d, const char* name) {
    return static_cast<const StructDefinition&>(*d).GetFields().at(name);
  };
  const auto element = [](const DataDefinitionPtr& d) {
    return static_cast<const ListDefinition&>(*d).GetElement();
  };
  const DataDefinitionPtr samples = Define<Samples>();
  const DataDefinitionPtr inSnapshot =
      element(field(element(field(samples, "snapshots")), "values"));
  EXPECT_EQ(field(samples, "latest").get(), inSnapshot.get());
}

TEST(Records, TraceSpanWrittenIntoTheOpaqueOfAValueReadsBackEqual) {
  auto tag = std::make_shared<V::TraceTag>();
  tag->key = "retry";
  tag->value_type = V::TraceTagEnumerations::Type::LONG;
  tag->value = Jorv::Data::Opaque(Int(2));
  V::TraceSpan span;
  span.trace_id = 7;
  span.duration = -5;
  span.tags = std::list<std::shared_ptr<const V::TraceTag>>{tag};
  P::Value sample;
  sample.chandle = 8;
  sample.opaque = Jorv::Data::Opaque(WriteOk(span));

  const P::Value read = ReadOk<P::Value>(WriteOk(sample));
  ASSERT_TRUE(read.opaque);
  EXPECT_TRUE(WriteSame(ReadOk<V::TraceSpan>(read.opaque->GetValue()), span));
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
