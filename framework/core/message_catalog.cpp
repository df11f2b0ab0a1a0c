// The framework's catalog of default English message texts.

#include "framework/core/message_catalog.h"

#include <algorithm>
#include <iterator>

#include "framework/data/message.h"

namespace Jorv {
namespace {

struct Entry {
  const char* id;
  const char* text;
};

constexpr Entry kCatalog[] = {
    {MessageIds::kBadCast1, "Cannot convert the text '{1}' to the expected type."},
    {MessageIds::kInvalidType, "The value is not of the expected type."},
    {MessageIds::kMissingField, "The field '{1}' is missing from the structure '{2}'."},
    {MessageIds::kParseFailed, "The text '{1}' is not a valid {2}."},
    {MessageIds::kTypeMismatch, "Expected a value of kind {1} but found {2}."},
    {MessageIds::kUnsetField, "A field of type {1} is not set."},
    {MessageIds::kUnsetNonOptionalField, "The required field of type {1} is not set."},
    {MessageIds::kSignalNotConnected, "The method is not connected to an implementation."},
};

}  // namespace

std::string Message<CoreTag>::DefaultMessageForId(const std::string& id) {
  const auto it = std::find_if(std::begin(kCatalog), std::end(kCatalog),
                               [&id](const Entry& entry) { return id == entry.id; });
  if (it != std::end(kCatalog)) return it->text;
  return "Message '" + id + "'.";
}

}  // namespace Jorv
