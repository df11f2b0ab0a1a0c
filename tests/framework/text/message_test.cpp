#include "framework/text/message.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "framework/text/message_catalog.h"

namespace Jorv {
namespace {

using Args = std::list<std::string>;

TEST(MakeMessage, FillsTheTemplateAndKeepsEachArgumentVerbatim) {
  // Braces and printf directives inside an argument are not read again; printf options apply to
  // the text only; a missing argument shortens the text.
  const BaseMessage message = MakeMessage("jorv.test", "x {1} y {2} [{2:-5}|{1:.2}] {3} z",
                                          std::string("{2}"), std::string("%n{}"));
  EXPECT_EQ(message.id, "jorv.test");
  EXPECT_EQ(message.defaultMessage, "x {2} y %n{} [%n{} |{2] ");
  EXPECT_EQ(message.args, (Args{"{2}", "%n{}"}));
  EXPECT_EQ(MakeMessage("jorv.test", "Nothing to fill.", std::string("a")).args, Args{"a"});

  std::string named = "x";
  EXPECT_EQ(MakeMessage<const std::string&>("jorv.test", "<{1}>", named),
            MakeMessage("jorv.test", "<{1}>", named));
  EXPECT_EQ(MakeMessage<std::string&>("jorv.test", "<{1}>", named).defaultMessage, "<x>");
}

TEST(CoreMessage, TakesItsTextFromTheCatalog) {
  EXPECT_EQ(Message<CoreTag>::DefaultMessageForId(MessageIds::kMissingField),
            "The field '{1}' is missing from the structure '{2}'.");
  EXPECT_EQ(Message<CoreTag>::DefaultMessageForId("no.such.id"), "Message 'no.such.id'.");
  // Without an argument the catalog text stays as it is, placeholders included.
  EXPECT_EQ(Message<CoreTag>(MessageIds::kUnsetField),
            BaseMessage(MessageIds::kUnsetField, "A field of type {1} is not set.", {}));
  const BaseMessage filled(MessageIds::kUnsetField, "A field of type Opaque is not set.",
                           {"Opaque"});
  EXPECT_EQ(Message<CoreTag>(MessageIds::kUnsetField, std::string("Opaque")), filled);
  const std::string named = "Opaque";
  EXPECT_EQ(Message<CoreTag>(MessageIds::kUnsetField, named), filled);
}

}  // namespace
}  // namespace Jorv
