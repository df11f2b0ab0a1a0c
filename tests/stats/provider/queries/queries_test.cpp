#include "stats/provider/queries/queries.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>

#include "support/conversions.h"

namespace {

using namespace Com::Zentak::Stats::Provider::QueriesSvc;
using Com::Zentak::Stats::Provider::CounterInstance;
using Com::Zentak::Stats::Provider::Result;
using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::TypeInfo;
using namespace Jorv::Testing;

using Instances = std::list<std::shared_ptr<const CounterInstance>>;
using Strings = std::list<std::string>;
using LocalizableMessage = Com::Zentak::Jorv::Std::LocalizableMessage;

constexpr const char kCreateSpec[] = "com.zentak.stats.provider.queries.create_spec";
constexpr const char kCreateResult[] = "com.zentak.stats.provider.queries.create_result";
constexpr const char kInfo[] = "com.zentak.stats.provider.queries.info";
constexpr const char kUpdateSpec[] = "com.zentak.stats.provider.queries.update_spec";
constexpr const char kCounterInstance[] = "com.zentak.stats.provider.counter_instance";

std::shared_ptr<const CounterInstance> Instance(const std::string& counter, long long chandle) {
  auto instance = std::make_shared<CounterInstance>();
  instance->counter = counter;
  instance->chandle = chandle;
  return instance;
}

DataValuePtr InstanceValue(const std::string& counter, long long chandle) {
  return Struct(kCounterInstance, {{"counter", Str(counter)},
                                   {"edition", Unset()},
                                   {"chandle", Int(chandle)},
                                   {"resource_ids", List(3, {})}});
}

CreateSpec FilledCreateSpec() {
  CreateSpec spec;
  spec.time_to_live = 600;
  spec.view = "summary";
  spec.instances = {Instance("cpu.usage", 1), Instance("mem.used", 2)};
  return spec;
}

CreateResult FilledCreateResult() {
  CreateResult result;
  result.query = "q-17";
  result.messages = {LocalizableMessage::From(BaseMessage("stats.created", "Created.", {}))};
  return result;
}

Info FilledInfo() {
  Info info;
  info.query = "q-17";
  info.view = "summary";
  info.owner = "admin";
  info.time_to_live = 600;
  info.instances = {Instance("cpu.usage", 1)};
  return info;
}

UpdateSpec FilledUpdateSpec() {
  UpdateSpec spec;
  spec.time_to_live = 60;
  spec.instances_to_add = Instances{Instance("disk.io", 3)};
  spec.instances_to_remove = Instances{Instance("cpu.usage", 1)};
  return spec;
}

TEST(QueriesRecords, WriteEveryFieldUnderItsWireName) {
  const struct {
    std::string typeName;
    DataValuePtr written;
    DataValuePtr expected;
  } cases[] = {
      {TypeInfo<CreateSpec>::name(), WriteOk(FilledCreateSpec()),
       Struct(kCreateSpec, {{"time_to_live", Int(600)},
                            {"view", Some(Str("summary"))},
                            {"instances", List(1, {InstanceValue("cpu.usage", 1),
                                                   InstanceValue("mem.used", 2)})}})},
      {TypeInfo<CreateResult>::name(), WriteOk(FilledCreateResult()),
       Struct(kCreateResult, {{"query", Str("q-17")},
                              {"messages", List(1, {Struct(Jorv::Std::kLocalizableMessageName,
                                                           {{"id", Str("stats.created")},
                                                            {"default_message", Str("Created.")},
                                                            {"args", List(1, {})}})})}})},
      {TypeInfo<Info>::name(), WriteOk(FilledInfo()),
       Struct(kInfo, {{"query", Str("q-17")},
                      {"view", Str("summary")},
                      {"owner", Str("admin")},
                      {"time_to_live", Int(600)},
                      {"instances", List(1, {InstanceValue("cpu.usage", 1)})}})},
      {TypeInfo<UpdateSpec>::name(), WriteOk(FilledUpdateSpec()),
       Struct(kUpdateSpec,
              {{"time_to_live", Some(Int(60))},
               {"instances_to_add", Some(List(1, {InstanceValue("disk.io", 3)}))},
               {"instances_to_remove", Some(List(1, {InstanceValue("cpu.usage", 1)}))}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typeName);
    EXPECT_EQ(c.typeName, static_cast<const Jorv::Data::StructValue&>(*c.expected).GetName());
    EXPECT_TRUE(SameValue(c.written, c.expected));
  }
}

TEST(QueriesRecords, FilledRecordsReadBackUnchanged) {
  EXPECT_TRUE(WriteSame(ReadOk<CreateSpec>(WriteOk(FilledCreateSpec())), FilledCreateSpec()));
  EXPECT_TRUE(WriteSame(ReadOk<CreateResult>(WriteOk(FilledCreateResult())), FilledCreateResult()));
  EXPECT_TRUE(WriteSame(ReadOk<Info>(WriteOk(FilledInfo())), FilledInfo()));
  EXPECT_TRUE(WriteSame(ReadOk<UpdateSpec>(WriteOk(FilledUpdateSpec())), FilledUpdateSpec()));

  const Info info = ReadOk<Info>(WriteOk(FilledInfo()));
  EXPECT_EQ(info.owner, "admin");
  EXPECT_EQ(info.time_to_live, 600);
  ASSERT_EQ(info.instances.size(), 1u);
  EXPECT_EQ(info.instances.front()->counter, "cpu.usage");
}

TEST(QueriesRecords, RequiredFieldsAreRejectedWhenMissingOptionalOnesAccepted) {
  const DataValuePtr createSpec = WriteOk(FilledCreateSpec());
  const DataValuePtr createResult = WriteOk(FilledCreateResult());
  const DataValuePtr info = WriteOk(FilledInfo());
  const DataValuePtr updateSpec = WriteOk(FilledUpdateSpec());
  const struct {
    void (*check)(const DataValuePtr&, const std::string&, bool);
    const DataValuePtr& full;
    const char* field;
    bool required;
  } cases[] = {
      {&ExpectFieldRequirement<CreateSpec>, createSpec, "time_to_live", true},
      {&ExpectFieldRequirement<CreateSpec>, createSpec, "view", false},
      {&ExpectFieldRequirement<CreateSpec>, createSpec, "instances", true},
      {&ExpectFieldRequirement<CreateResult>, createResult, "query", true},
      {&ExpectFieldRequirement<CreateResult>, createResult, "messages", true},
      {&ExpectFieldRequirement<Info>, info, "query", true},
      {&ExpectFieldRequirement<Info>, info, "view", true},
      {&ExpectFieldRequirement<Info>, info, "owner", true},
      {&ExpectFieldRequirement<Info>, info, "time_to_live", true},
      {&ExpectFieldRequirement<Info>, info, "instances", true},
      {&ExpectFieldRequirement<UpdateSpec>, updateSpec, "time_to_live", false},
      {&ExpectFieldRequirement<UpdateSpec>, updateSpec, "instances_to_add", false},
      {&ExpectFieldRequirement<UpdateSpec>, updateSpec, "instances_to_remove", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<const Jorv::Data::StructValue&>(*c.full).GetName());
    c.check(c.full, c.field, c.required);
  }

  const CreateSpec withoutView = ReadOk<CreateSpec>(Edited(createSpec, {{"view", nullptr}}));
  EXPECT_FALSE(withoutView.view);
  EXPECT_EQ(withoutView.instances.size(), 2u);
}

TEST(QueriesRecords, CreateSpecWithoutViewWritesAnUnsetOptional) {
  CreateSpec spec;
  spec.time_to_live = 30;
  spec.instances = {Instance("cpu.usage", 4)};
  const DataValuePtr written = WriteOk(spec);
  EXPECT_TRUE(SameValue(
      written, Struct(kCreateSpec, {{"time_to_live", Int(30)},
                                    {"view", Unset()},
                                    {"instances", List(1, {InstanceValue("cpu.usage", 4)})}})));
  EXPECT_FALSE(ReadOk<CreateSpec>(written).view);
}

TEST(QueriesRecords, UpdateSpecUnsetAndEmptyListsDiffer) {
  const DataValuePtr nothing = WriteOk(UpdateSpec());
  EXPECT_TRUE(SameValue(nothing, Struct(kUpdateSpec, {{"time_to_live", Unset()},
                                                      {"instances_to_add", Unset()},
                                                      {"instances_to_remove", Unset()}})));
  const UpdateSpec bare = ReadOk<UpdateSpec>(Struct(kUpdateSpec, {}));
  EXPECT_FALSE(bare.time_to_live);
  EXPECT_FALSE(bare.instances_to_add);
  EXPECT_FALSE(bare.instances_to_remove);
  EXPECT_EQ(bare.unknownFields, nullptr);

  UpdateSpec removeNone;
  removeNone.instances_to_remove = Instances{};
  const DataValuePtr written = WriteOk(removeNone);
  EXPECT_TRUE(SameValue(FieldOf(written, "instances_to_remove"), Some(List(1, {}))));
  const UpdateSpec read = ReadOk<UpdateSpec>(written);
  ASSERT_TRUE(read.instances_to_remove);
  EXPECT_TRUE(read.instances_to_remove->empty());
  EXPECT_FALSE(read.instances_to_add);
}

TEST(QueriesRecords, UndeclaredFieldsAreKeptAndWrittenBack) {
  {
    SCOPED_TRACE(kCreateSpec);
    ExpectKeepsUnknownField<CreateSpec>(WriteOk(FilledCreateSpec()));
  }
  {
    SCOPED_TRACE(kCreateResult);
    ExpectKeepsUnknownField<CreateResult>(WriteOk(FilledCreateResult()));
  }
  {
    SCOPED_TRACE(kInfo);
    ExpectKeepsUnknownField<Info>(WriteOk(FilledInfo()));
  }
  {
    SCOPED_TRACE(kUpdateSpec);
    ExpectKeepsUnknownField<UpdateSpec>(WriteOk(UpdateSpec()));
  }
}

TEST(QueriesRecords, NullRecordsAndElementsNameTheirType) {
  const auto withNull = [](Instances instances) {
    instances.push_back(nullptr);
    return instances;
  };
  const struct {
    const char* what;
    BaseMessage message;
    const char* argument;
  } cases[] = {
      {"create spec", WriteFails(std::shared_ptr<const CreateSpec>()), kCreateSpec},
      {"create result", WriteFails(std::shared_ptr<const CreateResult>()), kCreateResult},
      {"info", WriteFails(std::shared_ptr<const Info>()), kInfo},
      {"update spec", WriteFails(std::shared_ptr<const UpdateSpec>()), kUpdateSpec},
      {"execute result", WriteFails(std::shared_ptr<const Result>()),
       "com.zentak.stats.provider.result"},
      {"create spec instance",
       [&] {
         CreateSpec spec = FilledCreateSpec();
         spec.instances = withNull(spec.instances);
         return WriteFails(spec);
       }(),
       kCounterInstance},
      {"info instance",
       [&] {
         Info info = FilledInfo();
         info.instances = withNull(info.instances);
         return WriteFails(info);
       }(),
       kCounterInstance},
      {"instance to remove",
       [&] {
         UpdateSpec spec;
         spec.instances_to_remove = withNull({});
         return WriteFails(spec);
       }(),
       kCounterInstance},
      {"message",
       [] {
         CreateResult result = FilledCreateResult();
         result.messages.push_front(nullptr);
         return WriteFails(result);
       }(),
       Jorv::Std::kLocalizableMessageName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.message.GetId(), "jorv.data.unset.non.optional.field");
    EXPECT_EQ(c.message.GetArgs(), Strings{c.argument});
  }
}

TEST(QueriesRecords, SharedSpecsConvertThroughTheirRecord) {
  const auto spec = std::make_shared<const CreateSpec>(FilledCreateSpec());
  EXPECT_TRUE(SameValue(WriteOk(spec), WriteOk(*spec)));
  const auto read = ReadOk<std::shared_ptr<const CreateSpec>>(WriteOk(*spec));
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(WriteSame(*read, *spec));
}

TEST(QueriesRecords, StructInfoOfInfoAndCreateResult) {
  const struct {
    std::shared_ptr<Jorv::Metadata::StructInfo> info;
    const char* name;
  } cases[] = {
      {Jorv::Metadata::StructInfo::Create<Info>(), "com.zentak.stats.provider.Queries.Info"},
      {Jorv::Metadata::StructInfo::Create<CreateResult>(),
       "com.zentak.stats.provider.Queries.CreateResult"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.info, nullptr);
    EXPECT_EQ(c.info->name, c.name);
    ASSERT_EQ(c.info->fields.size(), 1u);
    EXPECT_EQ(c.info->fields.begin()->first, "query");
    EXPECT_EQ(c.info->fields.begin()->second->resourceType, "StatsQuery");
    EXPECT_FALSE(c.info->fields.begin()->second->text);
  }
}

TEST(QueriesRecords, Definitions) {
  const std::string instance = std::string(kCounterInstance) +
                               "{chandle: integer, counter: string, edition: optional<integer>, "
                               "resource_ids: list<map-entry{key: string, value: string}>}";
  EXPECT_EQ(DefinitionText(Define<CreateSpec>()),
            std::string(kCreateSpec) + "{instances: list<" + instance +
                ">, time_to_live: integer, view: optional<string>}");
  EXPECT_EQ(DefinitionText(Define<CreateResult>()),
            std::string(kCreateResult) + "{messages: list<" + Jorv::Std::kLocalizableMessageName +
                "{args: list<string>, default_message: string, id: string}>, query: string}");
  EXPECT_EQ(DefinitionText(Define<Info>()),
            std::string(kInfo) + "{instances: list<" + instance +
                ">, owner: string, query: string, time_to_live: integer, view: string}");
  EXPECT_EQ(DefinitionText(Define<UpdateSpec>()),
            std::string(kUpdateSpec) + "{instances_to_add: optional<list<" + instance +
                ">>, instances_to_remove: optional<list<" + instance +
                ">>, time_to_live: optional<integer>}");
}

TEST(QueriesRecords, DefaultRecordsStartEmptyWithZeroIntegers) {
  EXPECT_EQ(CreateSpec().time_to_live, 0);
  EXPECT_EQ(Info().time_to_live, 0);
  const auto first = TypeInfo<Info>::defaultInstance(nullptr);
  const auto second = TypeInfo<Info>::defaultInstance(nullptr);
  EXPECT_NE(first.get(), second.get());
  EXPECT_TRUE(first->query.empty() && first->view.empty() && first->owner.empty());
  EXPECT_TRUE(first->instances.empty());
  EXPECT_EQ(first->unknownFields, nullptr);
  EXPECT_FALSE(CreateSpec().view);
}

}  // namespace
