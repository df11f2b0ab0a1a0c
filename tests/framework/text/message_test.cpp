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
}

TEST(CoreMessage, TakesItsTextFromTheCatalog) {
  EXPECT_EQ(Message<CoreTag>::DefaultMessageForId("no.such.id"), "Message 'no.such.id'.");
  // Without an argument the catalog text stays as it is, placeholders included.
  EXPECT_EQ(Message<CoreTag>(MessageIds::kUnsetField),
            BaseMessage(MessageIds::kUnsetField, "A field of type {1} is not set.", {}));
  EXPECT_EQ(Message<CoreTag>(MessageIds::kUnsetField, std::string("Opaque")),
            BaseMessage(MessageIds::kUnsetField, "A field of type Opaque is not set.", {"Opaque"}));
}

}  // namespace
}  // namespace Jorv
