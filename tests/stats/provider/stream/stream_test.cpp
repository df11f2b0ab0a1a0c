#include "stats/provider/stream/stream.h"

#include <gtest/gtest.h>

#include <climits>
#include <list>
#include <memory>
#include <string>

#include "support/conversions.h"

namespace {

using namespace Com::Zentak::Stats::Provider::StreamSvc;
using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::TypeInfo;
using namespace Jorv::Testing;

using Strings = std::list<std::string>;

constexpr const char kCreateSpec[] = "com.zentak.stats.provider.stream.create_spec";
constexpr const char kInfo[] = "com.zentak.stats.provider.stream.info";
constexpr const char kUpdateSpec[] = "com.zentak.stats.provider.stream.update_spec";
constexpr const char kAttachSpec[] = "com.zentak.stats.provider.stream.attach_spec";

CreateSpec FilledCreateSpec() {
  CreateSpec spec;
  spec.interval = 20;
  spec.timeout = 300;
  spec.buffer = 16;
  return spec;
}

Info FilledInfo() {
  Info info;
  info.interval = 20;
  info.timeout = 300;
  info.buffer = 16;
  return info;
}

UpdateSpec FilledUpdateSpec() {
  UpdateSpec spec;
  spec.interval = 10;
  spec.timeout = 0;
  spec.buffer = -1;
  return spec;
}

AttachSpec FilledAttachSpec() {
  AttachSpec spec;
  spec.client_id = "client-7";
  spec.from_timestamp = Jorv::DateTime::FromMillisSinceEpoch(1796577587123);
  return spec;
}

TEST(StreamRecords, WriteEveryFieldUnderItsWireName) {
  const struct {
    std::string typeName;
    DataValuePtr written;
    DataValuePtr expected;
  } cases[] = {
      {TypeInfo<CreateSpec>::name(), WriteOk(FilledCreateSpec()),
       Struct(kCreateSpec,
              {{"interval", Int(20)}, {"timeout", Some(Int(300))}, {"buffer", Some(Int(16))}})},
      {TypeInfo<Info>::name(), WriteOk(FilledInfo()),
       Struct(kInfo, {{"interval", Int(20)}, {"timeout", Int(300)}, {"buffer", Int(16)}})},
      {TypeInfo<UpdateSpec>::name(), WriteOk(FilledUpdateSpec()),
       Struct(kUpdateSpec,
              {{"interval", Some(Int(10))}, {"timeout", Some(Int(0))}, {"buffer", Some(Int(-1))}})},
      {TypeInfo<AttachSpec>::name(), WriteOk(FilledAttachSpec()),
       Struct(kAttachSpec, {{"client_id", Str("client-7")},
                            {"from_timestamp", Some(Str("2026-12-06T17:19:47.123Z"))}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typeName);
    EXPECT_EQ(c.typeName, static_cast<const Jorv::Data::StructValue&>(*c.expected).GetName());
    EXPECT_TRUE(SameValue(c.written, c.expected));
  }
}

TEST(StreamRecords, FilledRecordsReadBackUnchanged) {
  EXPECT_TRUE(WriteSame(ReadOk<CreateSpec>(WriteOk(FilledCreateSpec())), FilledCreateSpec()));
  EXPECT_TRUE(WriteSame(ReadOk<Info>(WriteOk(FilledInfo())), FilledInfo()));
  EXPECT_TRUE(WriteSame(ReadOk<UpdateSpec>(WriteOk(FilledUpdateSpec())), FilledUpdateSpec()));
  const AttachSpec attach = ReadOk<AttachSpec>(WriteOk(FilledAttachSpec()));
  EXPECT_EQ(attach.client_id, "client-7");
  ASSERT_TRUE(attach.from_timestamp);
  EXPECT_EQ(attach.from_timestamp->MillisSinceEpoch(), 1796577587123);
}

TEST(StreamRecords, RequiredFieldsAreRejectedWhenMissingOptionalOnesAccepted) {
  const DataValuePtr createSpec = WriteOk(FilledCreateSpec());
  const DataValuePtr info = WriteOk(FilledInfo());
  const DataValuePtr updateSpec = WriteOk(FilledUpdateSpec());
  const DataValuePtr attachSpec = WriteOk(FilledAttachSpec());
  const struct {
    void (*check)(const DataValuePtr&, const std::string&, bool);
    const DataValuePtr& full;
    const char* field;
    bool required;
  } cases[] = {
      {&ExpectFieldRequirement<CreateSpec>, createSpec, "interval", true},
      {&ExpectFieldRequirement<CreateSpec>, createSpec, "timeout", false},
      {&ExpectFieldRequirement<CreateSpec>, createSpec, "buffer", false},
      {&ExpectFieldRequirement<Info>, info, "interval", true},
      {&ExpectFieldRequirement<Info>, info, "timeout", true},
      {&ExpectFieldRequirement<Info>, info, "buffer", true},
      {&ExpectFieldRequirement<UpdateSpec>, updateSpec, "interval", false},
      {&ExpectFieldRequirement<UpdateSpec>, updateSpec, "timeout", false},
      {&ExpectFieldRequirement<UpdateSpec>, updateSpec, "buffer", false},
      {&ExpectFieldRequirement<AttachSpec>, attachSpec, "client_id", true},
      {&ExpectFieldRequirement<AttachSpec>, attachSpec, "from_timestamp", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<const Jorv::Data::StructValue&>(*c.full).GetName());
    c.check(c.full, c.field, c.required);
  }
}

TEST(StreamRecords, UnsetOptionalsWriteAsUnsetAndMissingOnesReadAsUnset) {
  CreateSpec intervalOnly;
  intervalOnly.interval = 5;
  EXPECT_TRUE(SameValue(
      WriteOk(intervalOnly),
      Struct(kCreateSpec, {{"interval", Int(5)}, {"timeout", Unset()}, {"buffer", Unset()}})));

  EXPECT_TRUE(SameValue(
      WriteOk(UpdateSpec()),
      Struct(kUpdateSpec, {{"interval", Unset()}, {"timeout", Unset()}, {"buffer", Unset()}})));
  const UpdateSpec bare = ReadOk<UpdateSpec>(Struct(kUpdateSpec, {}));
  EXPECT_FALSE(bare.interval);
  EXPECT_FALSE(bare.timeout);
  EXPECT_FALSE(bare.buffer);

  AttachSpec attach;
  attach.client_id = "c";
  EXPECT_TRUE(SameValue(WriteOk(attach), Struct(kAttachSpec, {{"client_id", Str("c")},
                                                              {"from_timestamp", Unset()}})));
  EXPECT_FALSE(ReadOk<AttachSpec>(Struct(kAttachSpec, {{"client_id", Str("c")}})).from_timestamp);
}

TEST(StreamRecords, InfoTakesAnyIntegers) {
  const Info read = ReadOk<Info>(
      Struct(kInfo, {{"interval", Int(0)}, {"timeout", Int(-30)}, {"buffer", Int(LLONG_MAX)}}));
  EXPECT_EQ(read.interval, 0);
  EXPECT_EQ(read.timeout, -30);
  EXPECT_EQ(read.buffer, LLONG_MAX);

  const BaseMessage m = ReadFails<Info>(
      Struct(kInfo, {{"interval", Int(1)}, {"timeout", Str("soon")}, {"buffer", Int(1)}}));
  EXPECT_EQ(m.GetId(), "jorv.data.parse.failed");
  EXPECT_EQ(m.GetArgs(), (Strings{"soon", "integer"}));
}

TEST(StreamRecords, AttachSpecRejectsAMalformedTimestamp) {
  const BaseMessage m = ReadFails<AttachSpec>(
      Struct(kAttachSpec,
             {{"client_id", Str("c")}, {"from_timestamp", Some(Str("2026-02-30T00:00:00Z"))}}));
  EXPECT_EQ(m.GetId(), "jorv.data.parse.failed");
  EXPECT_EQ(m.GetArgs(), (Strings{"2026-02-30T00:00:00Z", "date-time"}));
}

TEST(StreamRecords, UndeclaredFieldsAreKeptAndWrittenBack) {
  {
    SCOPED_TRACE(kCreateSpec);
    ExpectKeepsUnknownField<CreateSpec>(WriteOk(FilledCreateSpec()));
  }
  {
    SCOPED_TRACE(kInfo);
    ExpectKeepsUnknownField<Info>(WriteOk(FilledInfo()));
  }
  {
    SCOPED_TRACE(kUpdateSpec);
    ExpectKeepsUnknownField<UpdateSpec>(WriteOk(UpdateSpec()));
  }
  {
    SCOPED_TRACE(kAttachSpec);
    ExpectKeepsUnknownField<AttachSpec>(WriteOk(FilledAttachSpec()));
  }
}

TEST(StreamRecords, NullRecordsNameTheirType) {
  const struct {
    BaseMessage message;
    const char* argument;
  } cases[] = {
      {WriteFails(std::shared_ptr<const CreateSpec>()), kCreateSpec},
      {WriteFails(std::shared_ptr<const Info>()), kInfo},
      {WriteFails(std::shared_ptr<const UpdateSpec>()), kUpdateSpec},
      {WriteFails(std::shared_ptr<const AttachSpec>()), kAttachSpec},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    EXPECT_EQ(c.message.GetId(), "jorv.data.unset.non.optional.field");
    EXPECT_EQ(c.message.GetArgs(), Strings{c.argument});
  }
}

TEST(StreamRecords, Definitions) {
  EXPECT_EQ(DefinitionText(Define<UpdateSpec>()),
            std::string(kUpdateSpec) +
                "{buffer: optional<integer>, interval: optional<integer>, "
                "timeout: optional<integer>}");
  EXPECT_EQ(DefinitionText(Define<Info>()),
            std::string(kInfo) + "{buffer: integer, interval: integer, timeout: integer}");
  EXPECT_EQ(DefinitionText(Define<CreateSpec>()),
            std::string(kCreateSpec) +
                "{buffer: optional<integer>, interval: integer, timeout: optional<integer>}");
  EXPECT_EQ(DefinitionText(Define<std::shared_ptr<const AttachSpec>>()),
            std::string(kAttachSpec) + "{client_id: string, from_timestamp: optional<date-time>}");
}

TEST(StreamRecords, DefaultRecordsHaveZeroIntegersAndUnsetOptionals) {
  EXPECT_EQ(CreateSpec().interval, 0);
  const Info info;
  EXPECT_EQ(info.interval, 0);
  EXPECT_EQ(info.timeout, 0);
  EXPECT_EQ(info.buffer, 0);
  const auto attach = TypeInfo<AttachSpec>::defaultInstance(nullptr);
  EXPECT_TRUE(attach->client_id.empty());
  EXPECT_FALSE(attach->from_timestamp);
  EXPECT_EQ(attach->unknownFields, nullptr);
  EXPECT_NE(attach.get(), TypeInfo<AttachSpec>::defaultInstance(nullptr).get());
}

}  // namespace
