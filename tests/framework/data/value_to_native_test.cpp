#include "framework/data/value_to_native.h"

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "framework/core/value_ops.h"
#include "support/conversions.h"
#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::DataValue;
using Jorv::Data::DataValuePtr;
using Jorv::Data::ErrorValue;
using Jorv::Data::StructValue;
using namespace Jorv::Testing;
using namespace TestRecords;

using StringMap = std::map<std::string, std::string>;
using Strings = std::list<std::string>;
// A message reduced to what a fault could hide in: its identifier and arguments.
using IdArgs = std::pair<std::string, Strings>;

IdArgs Of(const BaseMessage& message) { return {message.GetId(), message.GetArgs()}; }

// Reads `source` into `out`, expecting failure with exactly one message, which it returns.
template <class T>
BaseMessage ReadFailsInto(const DataValuePtr& source, T& out) {
  std::list<BaseMessage> messages;
  EXPECT_FALSE(Read(source, out, messages));
  EXPECT_EQ(messages.size(), 1u);
  return messages.empty() ? BaseMessage() : messages.front();
}

const StructValue& AsStruct(const DataValuePtr& value) {
  EXPECT_TRUE(value && value->GetType() == Jorv::Data::DataType::STRUCTURE);
  return static_cast<const StructValue&>(*value);
}

// A copy of the structure `value`, its field values shared, with `changes` set (a null value
// makes an empty field slot).
DataValuePtr With(const DataValuePtr& value, const std::map<std::string, DataValuePtr>& changes) {
  const StructValue& original = AsStruct(value);
  auto copy = StructValue::GetInstance(original.GetName());
  for (const auto& field : original.GetFields()) copy->SetField(field.first, field.second);
  for (const auto& change : changes) copy->SetField(change.first, change.second);
  return copy;
}

// A copy of the structure `value`, its field values shared, without the fields `names`.
DataValuePtr Without(const DataValuePtr& value, const std::set<std::string>& names) {
  const StructValue& original = AsStruct(value);
  auto copy = StructValue::GetInstance(original.GetName());
  for (const auto& field : original.GetFields()) {
    if (names.count(field.first) == 0) copy->SetField(field.first, field.second);
  }
  return copy;
}

// FilledAllKinds with every optional set as well, an empty text in one of them.
AllKinds FullAllKinds() {
  AllKinds r = FilledAllKinds();
  r.maybe_real = -1.25;
  r.maybe_text = std::string();
  r.maybe_color = Color::BLUE;
  r.maybe_opaque = Jorv::Data::Opaque(Int(5));
  r.maybe_leaves = std::list<std::shared_ptr<const Leaf>>{MakeLeaf("m", 4)};
  r.maybe_strings = Strings{};
  r.maybe_tags = StringMap{{"k", "v"}};
  return r;
}

void ExpectSameLeaf(const std::shared_ptr<const Leaf>& a, const std::shared_ptr<const Leaf>& b) {
  ASSERT_EQ(a == nullptr, b == nullptr);
  if (!a) return;
  EXPECT_EQ(a->name, b->name);
  EXPECT_EQ(a->number, b->number);
  EXPECT_TRUE(Jorv::Data::Equals(a->unknownFields, b->unknownFields));
}

void ExpectSameLeaves(const std::list<std::shared_ptr<const Leaf>>& a,
                      const std::list<std::shared_ptr<const Leaf>>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) ExpectSameLeaf(*i, *j);
}

void ExpectSameAllKinds(const AllKinds& a, const AllKinds& b) {
  EXPECT_EQ(a.text, b.text);
  EXPECT_EQ(a.integer, b.integer);
  EXPECT_EQ(a.real, b.real);
  EXPECT_EQ(a.when, b.when);
  EXPECT_TRUE(Jorv::Data::Equals(a.opaque.GetValue(), b.opaque.GetValue()));
  EXPECT_TRUE(a.color == b.color);
  ExpectSameLeaf(a.leaf, b.leaf);
  EXPECT_EQ(a.strings, b.strings);
  EXPECT_EQ(a.reals, b.reals);
  ExpectSameLeaves(a.leaves, b.leaves);
  EXPECT_EQ(a.tags, b.tags);
  EXPECT_EQ(a.maybe_integer, b.maybe_integer);
  EXPECT_EQ(a.maybe_real, b.maybe_real);
  EXPECT_EQ(a.maybe_text, b.maybe_text);
  EXPECT_TRUE(a.maybe_color == b.maybe_color);
  ASSERT_EQ(a.maybe_opaque.has_value(), b.maybe_opaque.has_value());
  if (a.maybe_opaque) {
    EXPECT_TRUE(Jorv::Data::Equals(a.maybe_opaque->GetValue(), b.maybe_opaque->GetValue()));
  }
  ASSERT_EQ(a.maybe_leaves.has_value(), b.maybe_leaves.has_value());
  if (a.maybe_leaves) ExpectSameLeaves(*a.maybe_leaves, *b.maybe_leaves);
  EXPECT_TRUE(a.maybe_strings == b.maybe_strings);
  EXPECT_TRUE(a.maybe_tags == b.maybe_tags);
  ExpectSameLeaf(a.maybe_leaf, b.maybe_leaf);
  EXPECT_TRUE(Jorv::Data::Equals(a.unknownFields, b.unknownFields));
}

// The written form of FilledAllKinds, which field tests alter one field at a time.
DataValuePtr Base() { return WriteOk(FilledAllKinds()); }

TEST(ValueToNative, RoundTripsEveryFieldKind) {
  AllKinds defaults;
  defaults.leaf = MakeLeaf("", 0);
  const std::pair<const char*, AllKinds> cases[] = {
      {"filled", FilledAllKinds()}, {"full", FullAllKinds()}, {"defaults", defaults}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    const DataValuePtr first = WriteOk(c.second);
    const AllKinds read = ReadOk<AllKinds>(first);
    ExpectSameAllKinds(read, c.second);
    EXPECT_EQ(read.unknownFields, nullptr);
    const DataValuePtr second = WriteOk(read);
    EXPECT_TRUE(Jorv::Data::Equals(first, second))
        << "first:  " << Jorv::Data::ToText(first) << "\nsecond: " << Jorv::Data::ToText(second);
  }
}

TEST(ValueToNative, KeepsUndeclaredFieldsBeforeBetweenAndAfterDeclaredOnes) {
  // Declared names in byte order run from "color" to "when"; these fall before the first, next
  // to declared names they share a prefix with, and after the last.
  const std::map<std::string, DataValuePtr> undeclared{
      {"Text", Str("upper case sorts first")},
      {"aaa", Int(1)},
      {"leaves0", List(1, {Str("x")})},
      {"maybe_", Unset()},
      {"tex", LeafValue("unknown", 2)},
      {"texts", Real(0.5)},
      {"zzz", Struct("com.example.other", {{"deep", Int(3)}})},
  };
  const DataValuePtr leafWithExtra =
      Struct(Leaf::kTypeName, {{"name", Str("one")}, {"number", Int(1)}, {"rank", Int(7)}});
  std::map<std::string, DataValuePtr> changes = undeclared;
  changes["leaf"] = leafWithExtra;
  const DataValuePtr received = With(Base(), changes);

  const AllKinds read = ReadOk<AllKinds>(received);
  ASSERT_NE(read.unknownFields, nullptr);
  EXPECT_EQ(read.unknownFields->GetName(), "unknownFields");
  ASSERT_EQ(read.unknownFields->GetFields().size(), undeclared.size());
  for (const auto& field : undeclared) {
    SCOPED_TRACE(field.first);
    const auto found = read.unknownFields->GetFields().find(field.first);
    ASSERT_NE(found, read.unknownFields->GetFields().end());
    EXPECT_EQ(found->second.get(), field.second.get());
  }
  ASSERT_NE(read.leaf, nullptr);
  ASSERT_NE(read.leaf->unknownFields, nullptr);
  EXPECT_TRUE(
      Jorv::Data::Equals(read.leaf->unknownFields, Struct("unknownFields", {{"rank", Int(7)}})));

  // Written back, the record gives what was received; read again, the same natives.
  const DataValuePtr rewritten = WriteOk(read);
  EXPECT_TRUE(Jorv::Data::Equals(rewritten, received))
      << "rewritten: " << Jorv::Data::ToText(rewritten)
      << "\nreceived:  " << Jorv::Data::ToText(received);
  ExpectSameAllKinds(ReadOk<AllKinds>(rewritten), read);
}

TEST(ValueToNative, MissingRequiredFieldStopsAtFirstFailure) {
  // "leaf" sorts before "text" but is declared after it: the walk goes in declaration order.
  for (const std::set<std::string>& missing :
       {std::set<std::string>{"leaf"}, std::set<std::string>{"leaf", "text"}}) {
    const std::string first = missing.size() == 1 ? "leaf" : "text";
    SCOPED_TRACE(first);
    const DataValuePtr received = Without(With(Base(), {{"zzz", Int(1)}}), missing);
    AllKinds read;
    std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
    EXPECT_FALSE(Read(received, read, messages));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(Of(messages.front()), (IdArgs{"earlier", {}}));
    EXPECT_EQ(Of(messages.back()),
              (IdArgs{"jorv.data.missing.field", {first, AllKinds::kTypeName}}));
    EXPECT_EQ(
        messages.back().GetDefaultMessage(),
        "The field '" + first + "' is missing from the structure '" + AllKinds::kTypeName + "'.");
    // Fields before the missing one had been queued and were dropped; later ones never read.
    EXPECT_EQ(read.text, "");
    EXPECT_EQ(read.integer, 0);
    EXPECT_TRUE(read.color == Color());
    EXPECT_EQ(read.leaf, nullptr);
    EXPECT_TRUE(read.strings.empty());
    EXPECT_TRUE(read.tags.empty());
    EXPECT_FALSE(read.maybe_integer);
    EXPECT_EQ(read.maybe_leaf, nullptr);
    EXPECT_EQ(read.unknownFields, nullptr);
  }
}

TEST(ValueToNative, FailureInsideANestedRecordDropsTheWorkQueuedBeforeIt) {
  const DataValuePtr received =
      With(Base(), {{"leaf", Struct(Leaf::kTypeName, {{"name", Str("n")}})}});
  AllKinds read;
  EXPECT_EQ(Of(ReadFailsInto(received, read)),
            (IdArgs{"jorv.data.missing.field", {"number", Leaf::kTypeName}}));
  // Fields are converted last first: those declared after "leaf" were read before it failed,
  // those declared before it were still waiting and were dropped, as was the leaf's "name".
  EXPECT_EQ(read.strings, (Strings{"b", "a"}));
  EXPECT_EQ(read.tags.size(), 2u);
  ASSERT_NE(read.maybe_leaf, nullptr);
  EXPECT_EQ(read.maybe_leaf->name, "opt");
  ASSERT_NE(read.leaf, nullptr);
  EXPECT_EQ(read.leaf->name, "");
  EXPECT_EQ(read.text, "");
  EXPECT_EQ(read.integer, 0);
  EXPECT_TRUE(read.color == Color());
}

TEST(ValueToNative, OptionalFieldsAcceptAbsenceUnsetEmptyTextOrABareValue) {
  const DataValuePtr base = Base();
  AllKinds read = ReadOk<AllKinds>(
      Without(base, {"maybe_integer", "maybe_real", "maybe_text", "maybe_color", "maybe_opaque",
                     "maybe_leaves", "maybe_strings", "maybe_tags", "maybe_leaf"}));
  EXPECT_FALSE(read.maybe_integer);
  EXPECT_FALSE(read.maybe_color);
  EXPECT_FALSE(read.maybe_opaque);
  EXPECT_FALSE(read.maybe_leaves);
  EXPECT_EQ(read.maybe_leaf, nullptr);
  EXPECT_EQ(read.unknownFields, nullptr);

  struct IntegerCase {
    const char* label;
    DataValuePtr value;
    boost::optional<long long> expected;
  };
  const IntegerCase integers[] = {
      {"unset", Unset(), boost::none}, {"empty text", Str(""), boost::none},
      {"bare", Int(5), 5LL},           {"set", Some(Int(6)), 6LL},
      {"bare text", Str("7"), 7LL},    {"set text", Some(Str("-8")), -8LL},
  };
  for (const IntegerCase& c : integers) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ReadOk<AllKinds>(With(base, {{"maybe_integer", c.value}})).maybe_integer, c.expected);
  }

  // An empty text stands for unset only bare: inside a set optional it is the content.
  read = ReadOk<AllKinds>(With(base, {{"maybe_text", Some(Str(""))},
                                      {"maybe_strings", Some(List(1, {}))},
                                      {"maybe_tags", Str("")},
                                      {"maybe_leaves", Str("")},
                                      {"maybe_leaf", Some(Str(""))}}));
  EXPECT_EQ(read.maybe_text, std::string(""));
  EXPECT_TRUE(read.maybe_strings == Strings{});
  EXPECT_FALSE(read.maybe_tags);
  EXPECT_FALSE(read.maybe_leaves);
  ASSERT_NE(read.maybe_leaf, nullptr);
  EXPECT_EQ(read.maybe_leaf->name, "");

  read = ReadOk<AllKinds>(With(base, {{"maybe_strings", Some(List(1, {Str("a"), Str("b")}))},
                                      {"maybe_leaves", Some(List(1, {LeafValue("l", 1)}))},
                                      {"maybe_tags", List(3, {MapEntry("k", "v")})},
                                      {"maybe_leaf", LeafValue("bare", 2)}}));
  EXPECT_TRUE(read.maybe_strings == (Strings{"a", "b"}));
  ASSERT_TRUE(read.maybe_leaves);
  ASSERT_EQ(read.maybe_leaves->size(), 1u);
  EXPECT_EQ(read.maybe_leaves->front()->name, "l");
  EXPECT_TRUE(read.maybe_tags == (StringMap{{"k", "v"}}));
  ASSERT_NE(read.maybe_leaf, nullptr);
  EXPECT_EQ(read.maybe_leaf->name, "bare");
  EXPECT_EQ(read.maybe_leaf->number, 2);

  read = ReadOk<AllKinds>(With(base, {{"maybe_strings", Unset()}, {"maybe_leaf", Unset()}}));
  EXPECT_FALSE(read.maybe_strings);
  EXPECT_EQ(read.maybe_leaf, nullptr);
}

TEST(ValueToNative, EmptyTextIsADefaultRecordAndOtherTextsAreRejected) {
  AllKinds read = ReadOk<AllKinds>(
      With(Base(), {{"leaf", Str("")}, {"leaves", List(1, {Str(""), LeafValue("x", 1)})}}));
  ASSERT_NE(read.leaf, nullptr);
  EXPECT_EQ(read.leaf->name, "");
  EXPECT_EQ(read.leaf->number, 0);
  ASSERT_EQ(read.leaves.size(), 2u);
  ASSERT_NE(read.leaves.front(), nullptr);
  EXPECT_EQ(read.leaves.front()->name, "");
  EXPECT_EQ(read.leaves.back()->name, "x");

  AllKinds root = ReadOk<AllKinds>(Str(""));
  EXPECT_EQ(root.text, "");
  EXPECT_EQ(root.leaf, nullptr);
  EXPECT_EQ(root.unknownFields, nullptr);

  // The text is an argument, not part of the template: its braces are kept as they are.
  const std::string text = "{2} not a leaf";
  for (const DataValuePtr& received : {With(Base(), {{"leaf", Str(text)}}), Str(text)}) {
    const BaseMessage m = ReadFails<AllKinds>(received);
    EXPECT_EQ(Of(m), (IdArgs{"jorv.data.bad.cast1", {text}}));
    EXPECT_EQ(m.GetDefaultMessage(),
              "Cannot convert the text '" + text + "' to the expected type.");
  }

  const std::pair<const char*, DataValuePtr> notRecords[] = {
      {"integer field", With(Base(), {{"leaf", Int(1)}})},
      {"empty slot", With(Base(), {{"leaf", nullptr}})},
      {"list field", With(Base(), {{"leaf", List(1, {})}})},
      {"optional field", With(Base(), {{"leaf", Some(LeafValue("x", 1))}})},
      {"integer in a set optional", With(Base(), {{"maybe_leaf", Some(Int(1))}})},
      {"list element", With(Base(), {{"leaves", List(1, {Real(1)})}})},
      {"integer root", Int(1)},
      {"null root", nullptr},
  };
  for (const auto& c : notRecords) {
    SCOPED_TRACE(c.first);
    const BaseMessage m = ReadFails<AllKinds>(c.second);
    EXPECT_EQ(Of(m), (IdArgs{"jorv.data.invalid.type", {}}));
    EXPECT_EQ(m.GetDefaultMessage(), "The value is not of the expected type.");
  }
}

TEST(ValueToNative, ErrorValuesAndDynamicStructuresReadLikeStructures) {
  auto error = ErrorValue::GetInstance("com.example.failure");
  error->SetField("name", Str("e"));
  error->SetField("number", Int(6));
  const Leaf fromError = ReadOk<Leaf>(error);
  EXPECT_EQ(fromError.name, "e");
  EXPECT_EQ(fromError.number, 6);
  ASSERT_NE(fromError.unknownFields, nullptr);
  ASSERT_EQ(fromError.unknownFields->GetFields().size(), 1u);
  EXPECT_EQ(fromError.unknownFields->GetFields().at("messages").get(),
            error->GetFields().at("messages").get());

  EXPECT_EQ(Of(ReadFails<Leaf>(ErrorValue::GetInstance("com.example.failure"))),
            (IdArgs{"jorv.data.missing.field", {"name", "com.example.failure"}}));

  auto dynamic = StructValue::GetDynamicInstance("com.example.anything");
  dynamic->SetField("name", Str("d"));
  dynamic->SetField("number", Int(15));
  const AllKinds read = ReadOk<AllKinds>(With(Base(), {{"leaf", dynamic}}));
  ASSERT_NE(read.leaf, nullptr);
  EXPECT_EQ(read.leaf->name, "d");
  EXPECT_EQ(read.leaf->number, 15);
  EXPECT_EQ(read.leaf->unknownFields, nullptr);
}

TEST(ValueToNative, ListsAcceptOneTextForOneElement) {
  const DataValuePtr base = Base();
  AllKinds read = ReadOk<AllKinds>(With(base, {{"strings", Str("solo")}, {"reals", Str("1.5")}}));
  EXPECT_EQ(read.strings, Strings{"solo"});
  EXPECT_EQ(read.reals, std::list<double>{1.5});

  read = ReadOk<AllKinds>(With(base, {{"strings", Str("")}, {"leaves", Str("")}}));
  EXPECT_TRUE(read.strings.empty());
  EXPECT_TRUE(read.leaves.empty());

  // A text for a list of records is one record given as text, which only "" can be.
  EXPECT_EQ(Of(ReadFails<AllKinds>(With(base, {{"leaves", Str("x")}}))),
            (IdArgs{"jorv.data.bad.cast1", {"x"}}));
}

TEST(ValueToNative, MapsReadFromEntryListsOrStructures) {
  const DataValuePtr base = Base();
  // Neither the list kind nor the entries' names are looked at; extra entry fields are ignored.
  const DataValuePtr list =
      List(1, {Struct("entry", {{"key", Str("b")}, {"value", Str("2")}}),
               Struct("other", {{"key", Str("a")}, {"value", Str("1")}, {"extra", Int(0)}})});
  EXPECT_EQ(ReadOk<AllKinds>(With(base, {{"tags", list}})).tags,
            (StringMap{{"a", "1"}, {"b", "2"}}));

  auto dynamic = StructValue::GetDynamicInstance("whatever");
  dynamic->SetField("b", Str("2"));
  dynamic->SetField("a", Str("1"));
  for (const DataValuePtr& structure :
       {Struct("whatever", {{"a", Str("1")}, {"b", Str("2")}}), DataValuePtr(dynamic)}) {
    EXPECT_EQ(ReadOk<AllKinds>(With(base, {{"tags", structure}})).tags,
              (StringMap{{"a", "1"}, {"b", "2"}}));
  }

  for (const DataValuePtr& empty : {Str(""), List(3, {}), Struct("whatever", {})}) {
    EXPECT_TRUE(ReadOk<AllKinds>(With(base, {{"tags", empty}})).tags.empty());
  }

  // Entries convert last first, so with a repeated key the first entry's value is kept.
  const DataValuePtr repeated =
      List(3, {MapEntry("k", "first"), MapEntry("j", "other"), MapEntry("k", "second")});
  EXPECT_EQ(ReadOk<AllKinds>(With(base, {{"tags", repeated}})).tags,
            (StringMap{{"j", "other"}, {"k", "first"}}));

  EXPECT_EQ(ReadOk<StringMap>(List(3, {MapEntry("x", "y")})), (StringMap{{"x", "y"}}));
}

TEST(ValueToNative, ValuesOfTheWrongKindFailWithOneMessage) {
  auto errorEntry = ErrorValue::GetInstance("map-entry");
  errorEntry->SetField("key", Str("k"));
  errorEntry->SetField("value", Str("v"));
  struct Case {
    const char* field;
    DataValuePtr value;
    IdArgs expected;
  };
  const Case cases[] = {
      // Primitives.
      {"integer", Str("x"), {"jorv.data.parse.failed", {"x", "integer"}}},
      {"integer", Str("4 2"), {"jorv.data.parse.failed", {"4 2", "integer"}}},
      {"integer", Real(1), {"jorv.data.type.mismatch", {"integer", "double"}}},
      {"integer", nullptr, {"jorv.data.type.mismatch", {"integer", "null"}}},
      {"real", Int(2), {"jorv.data.type.mismatch", {"double", "integer"}}},
      {"real", Str("two"), {"jorv.data.parse.failed", {"two", "double"}}},
      {"text", Int(1), {"jorv.data.type.mismatch", {"string", "integer"}}},
      {"text",
       Jorv::Data::SecretValue::GetInstance("s"),
       {"jorv.data.type.mismatch", {"string", "secret"}}},
      {"text", Unset(), {"jorv.data.type.mismatch", {"string", "optional"}}},
      {"when", Int(0), {"jorv.data.type.mismatch", {"string", "integer"}}},
      {"when",
       Str("2026-13-01T00:00:00Z"),
       {"jorv.data.parse.failed", {"2026-13-01T00:00:00Z", "date-time"}}},
      {"maybe_integer", Some(Real(1.5)), {"jorv.data.type.mismatch", {"integer", "double"}}},
      {"maybe_integer", Str("x"), {"jorv.data.parse.failed", {"x", "integer"}}},
      // Lists.
      {"strings", Int(1), {"jorv.data.invalid.type", {}}},
      {"strings", Some(List(1, {})), {"jorv.data.invalid.type", {}}},
      {"strings", List(1, {Str("a"), Int(1)}), {"jorv.data.type.mismatch", {"string", "integer"}}},
      {"reals", List(1, {Real(1), Str("x"), Real(3)}), {"jorv.data.parse.failed", {"x", "double"}}},
      {"maybe_strings", Some(Int(1)), {"jorv.data.invalid.type", {}}},
      // Maps.
      {"tags", Str("a=b"), {"jorv.data.bad.cast1", {"a=b"}}},
      {"tags", Int(1), {"jorv.data.invalid.type", {}}},
      {"tags", nullptr, {"jorv.data.invalid.type", {}}},
      {"tags", ErrorValue::GetInstance("map"), {"jorv.data.invalid.type", {}}},
      {"tags", List(3, {MapEntry("a", "1"), Str("b")}), {"jorv.data.invalid.type", {}}},
      {"tags", List(3, {errorEntry}), {"jorv.data.invalid.type", {}}},
      {"tags", List(3, {nullptr}), {"jorv.data.invalid.type", {}}},
      {"tags",
       List(3, {Struct("map-entry", {{"value", Str("v")}})}),
       {"jorv.data.missing.field", {"key", "map-entry"}}},
      {"tags",
       List(3, {Struct("e", {{"key", Str("k")}})}),
       {"jorv.data.missing.field", {"value", "e"}}},
      {"tags",
       List(3, {Struct("map-entry", {{"key", Int(1)}, {"value", Str("v")}})}),
       {"jorv.data.type.mismatch", {"string", "integer"}}},
      {"tags",
       List(3, {Struct("map-entry", {{"key", Str("k")}, {"value", Real(1)}})}),
       {"jorv.data.type.mismatch", {"string", "double"}}},
      {"tags",
       Struct("s", {{"a", Str("1")}, {"b", Int(2)}}),
       {"jorv.data.type.mismatch", {"string", "integer"}}},
      {"maybe_tags", Some(Str("x")), {"jorv.data.bad.cast1", {"x"}}},
      // Enumerations.
      {"color", Int(1), {"jorv.data.type.mismatch", {"string", "integer"}}},
      {"maybe_color", Some(Int(1)), {"jorv.data.type.mismatch", {"string", "integer"}}},
  };
  const DataValuePtr base = Base();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " = " + Jorv::Data::ToText(c.value));
    EXPECT_EQ(Of(ReadFails<AllKinds>(With(base, {{c.field, c.value}}))), c.expected);
  }
}

TEST(ValueToNative, PrimitivesReadFromTheirKindOrTheirText) {
  const AllKinds read =
      ReadOk<AllKinds>(With(Base(), {{"integer", Str("42")},
                                     {"real", Str("-0.125")},
                                     {"text", Str("")},
                                     {"when", Str("2026-12-06T18:19:47.123+01:00")},
                                     {"maybe_real", Some(Str("1e3"))}}));
  EXPECT_EQ(read.integer, 42);
  EXPECT_EQ(read.real, -0.125);
  EXPECT_EQ(read.text, "");
  EXPECT_EQ(read.when, Jorv::DateTime::FromMillisSinceEpoch(1796577587123));
  EXPECT_EQ(read.maybe_real, 1000.0);

  const BaseMessage m = ReadFails<AllKinds>(With(Base(), {{"integer", Str("x")}}));
  EXPECT_EQ(m.GetDefaultMessage(), "The text 'x' is not a valid integer.");
  EXPECT_EQ(ReadOk<long long>(Str("-9")), -9);
  EXPECT_EQ(ReadOk<std::string>(Str("s")), "s");
}

TEST(ValueToNative, EnumerationsKeepTextsThatMatchNoLiteral) {
  struct Case {
    const char* wire;
    Color::Enumerator enumerator;
    const char* unknownText;
    const char* writtenBack;
  };
  const Case cases[] = {
      {"RED", Color::RED, "", "RED"},
      {"GREEN", Color::GREEN, "", "GREEN"},
      {"BLUE", Color::BLUE, "", "BLUE"},
      {"red", Color::_UNKNOWN, "red", "red"},
      {"BLUE ", Color::_UNKNOWN, "BLUE ", "BLUE "},
      {"_UNKNOWN", Color::_UNKNOWN, "", "_UNKNOWN"},
      {"", Color::_UNKNOWN, "", "_UNKNOWN"},
  };
  const DataValuePtr base = Base();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wire);
    const AllKinds read =
        ReadOk<AllKinds>(With(base, {{"color", Str(c.wire)}, {"maybe_color", Some(Str(c.wire))}}));
    EXPECT_EQ(read.color.GetEnumerator(), c.enumerator);
    EXPECT_EQ(read.color.GetUnknownText(), c.unknownText);
    ASSERT_TRUE(read.maybe_color);
    EXPECT_TRUE(*read.maybe_color == read.color);
    const DataValuePtr written = WriteOk(read);
    const StructValue::Fields& fields = AsStruct(written).GetFields();
    EXPECT_TRUE(Jorv::Data::Equals(fields.at("color"), Str(c.writtenBack)));
    EXPECT_TRUE(Jorv::Data::Equals(fields.at("maybe_color"), Some(Str(c.writtenBack))));
  }
}

TEST(ValueToNative, OpaqueFieldsShareTheReceivedValue) {
  const DataValuePtr held = LeafValue("inner", 9);
  const DataValuePtr unset = Unset();
  AllKinds read = ReadOk<AllKinds>(With(Base(), {{"opaque", held}, {"maybe_opaque", Some(held)}}));
  EXPECT_EQ(read.opaque.GetValue().get(), held.get());
  ASSERT_TRUE(read.maybe_opaque);
  EXPECT_EQ(read.maybe_opaque->GetValue().get(), held.get());

  // A required opaque takes any value as it is, an unset optional included; an optional one
  // unwraps a set optional or takes a bare value.
  read = ReadOk<AllKinds>(With(Base(), {{"opaque", unset}, {"maybe_opaque", held}}));
  EXPECT_EQ(read.opaque.GetValue().get(), unset.get());
  ASSERT_TRUE(read.maybe_opaque);
  EXPECT_EQ(read.maybe_opaque->GetValue().get(), held.get());

  read = ReadOk<AllKinds>(With(Base(), {{"maybe_opaque", Str("")}}));
  EXPECT_FALSE(read.maybe_opaque);
}

TEST(ValueToNative, ReadsRecordsWithoutUnknownFieldsAndStandardRecords) {
  const DataValuePtr input = Struct(Jorv::Std::kOperationInputName, {{"stray", Int(1)}});
  ReadOk<Jorv::OperationInput>(input);
  EXPECT_EQ(Of(ReadFails<Jorv::OperationInput>(Int(1))), (IdArgs{"jorv.data.invalid.type", {}}));

  using Com::Zentak::Jorv::Std::LocalizableMessage;
  const BaseMessage original("some.id", "Some {1} text.", {"one", "two"});
  const DataValuePtr written = WriteOk(*LocalizableMessage::From(original));
  EXPECT_EQ(ReadOk<LocalizableMessage>(written).ToMessage(), original);
}

TEST(ValueToNative, CountsOnlyTheMessagesItAdds) {
  std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
  AllKinds read;
  EXPECT_TRUE(Read(WriteOk(FullAllKinds()), read, messages));
  EXPECT_EQ(messages.size(), 1u);
  ExpectSameAllKinds(read, FullAllKinds());
}

}  // namespace
