#include "framework/text/message.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "framework/text/message_catalog.h"

namespace Jorv {
namespace {

using Args = std::list<std::string>;

TEST(MakeMessage, FillsTheTemplateAndRendersTheArgument) {
  const std::string field = "Opaque";
  const BaseMessage message =
      MakeMessage("jorv.data.unset.field", "The field {1} is unset.", field);
  EXPECT_EQ(message.GetId(), "jorv.data.unset.field");
  EXPECT_EQ(message.GetDefaultMessage(), "The field Opaque is unset.");
  EXPECT_EQ(message.GetArgs(), Args{"Opaque"});
}

TEST(MakeMessage, TemplateWithoutPlaceholdersStillKeepsTheArgument) {
  std::string field = "Opaque";
  const BaseMessage message = MakeMessage("jorv.data.invalid", "Nothing to fill in.", field);
  EXPECT_EQ(message.GetDefaultMessage(), "Nothing to fill in.");
  EXPECT_EQ(message.GetArgs(), Args{"Opaque"});
}

TEST(MakeMessage, ArgumentsAreInsertedVerbatim) {
  // Braces and printf directives inside an argument are not read again.
  const BaseMessage message =
      MakeMessage("jorv.test", "x {1} y {2}", std::string("{2}"), std::string("%n{}"));
  EXPECT_EQ(message.GetDefaultMessage(), "x {2} y %n{}");
  EXPECT_EQ(message.GetArgs(), (Args{"{2}", "%n{}"}));
}

TEST(MakeMessage, MissingArgumentOnlyShortensTheText) {
  const BaseMessage message =
      MakeMessage("jorv.test", "{1} then {2} and more.", std::string("first"));
  EXPECT_EQ(message.GetDefaultMessage(), "first then ");
  EXPECT_EQ(message.GetArgs(), Args{"first"});

  const BaseMessage empty = MakeMessage("jorv.test", "none {} here");
  EXPECT_EQ(empty.GetDefaultMessage(), "none ");
  EXPECT_TRUE(empty.GetArgs().empty());
}

TEST(MakeMessage, PrintfOptionsApplyToTheTextButNotToTheRenderedArguments) {
  const BaseMessage message =
      MakeMessage("jorv.test", "[{2:-5}|{1:.2}|{1:n}]", std::string("abc"), std::string("z"));
  EXPECT_EQ(message.GetDefaultMessage(), "[z    |ab|abc]");
  EXPECT_EQ(message.GetArgs(), (Args{"abc", "z"}));
}

TEST(CoreMessage, WithoutArgumentKeepsTheCatalogTextUntouched) {
  const std::string text = Message<CoreTag>::DefaultMessageForId(MessageIds::kUnsetField);
  ASSERT_NE(text.find("{1}"), std::string::npos);
  const Message<CoreTag> message(MessageIds::kUnsetField);
  EXPECT_EQ(message.GetId(), MessageIds::kUnsetField);
  EXPECT_EQ(message.GetDefaultMessage(), text);
  EXPECT_TRUE(message.GetArgs().empty());
}

TEST(CoreMessage, WithArgumentFillsTheCatalogText) {
  std::string expected = Message<CoreTag>::DefaultMessageForId(MessageIds::kUnsetField);
  const std::size_t placeholder = expected.find("{1}");
  ASSERT_NE(placeholder, std::string::npos);
  expected.replace(placeholder, 3, "Opaque");
  const Message<CoreTag> message(MessageIds::kUnsetField, std::string("Opaque"));
  EXPECT_EQ(message.id, MessageIds::kUnsetField);
  EXPECT_EQ(message.defaultMessage, expected);
  EXPECT_EQ(message.args, Args{"Opaque"});

  // A named argument has the same effect as a temporary and is left as it was.
  const std::string named = "Opaque";
  EXPECT_EQ(Message<CoreTag>(MessageIds::kUnsetField, named), message);
  EXPECT_EQ(named, "Opaque");
}

TEST(MakeMessage, ExplicitReferenceInstantiationsBehaveLikeTheDeducedCall) {
  std::string argument = "x";
  const BaseMessage deduced = MakeMessage("jorv.test", "<{1}>", argument);
  EXPECT_EQ(MakeMessage<const std::string&>("jorv.test", "<{1}>", argument), deduced);
  EXPECT_EQ(MakeMessage<std::string&>("jorv.test", "<{1}>", argument), deduced);
  EXPECT_EQ(deduced.defaultMessage, "<x>");
  EXPECT_EQ(argument, "x");
}

}  // namespace
}  // namespace Jorv
