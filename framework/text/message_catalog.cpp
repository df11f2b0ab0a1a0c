// The framework's catalog of default English message texts.

#include "framework/text/message_catalog.h"

#include <algorithm>
#include <iterator>

#include "framework/text/message.h"

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
    {MessageIds::kValidationKind, "Expected a value of kind {1} at '{2}' but found {3}."},
    {MessageIds::kValidationStructName, "Expected the structure {1} at '{2}' but found {3}."},
    {MessageIds::kValidationMissingField, "The required field '{1}' is missing."},
    {MessageIds::kValidationParse, "The text '{1}' at '{2}' is not a valid {3}."},
    {MessageIds::kValidationMapEntry,
     "The map entry at '{1}' is not a structure with string fields key and value."},
    {MessageIds::kValidationUnresolved, "The structure reference {1} at '{2}' has no target."},
    {MessageIds::kSignalNotConnected, "The method is not connected to an implementation."},
    {MessageIds::kInputInvalid, "The input of method {1} does not conform at '{2}'."},
    {MessageIds::kOutputInvalid, "The output of method {1} does not conform at '{2}'."},
    {MessageIds::kErrorInvalid, "The error {2} of method {1} does not conform at '{3}'."},
    {MessageIds::kErrorUndeclared, "Method {1} reported the error {2}, which it does not declare."},
    {MessageIds::kErrorMissing, "Method {1} ended without an output or an error value."},
    {MessageIds::kUnknownInterface, "No interface {1} is published."},
    {MessageIds::kUnknownMethod, "The interface {2} has no method {1}."},
    {MessageIds::kMethodFailed, "The method {1} failed: {2}"},
    {MessageIds::kValueTooLarge, "The encoded value of {1} bytes exceeds the limit of {2}."},
    {MessageIds::kValueTooManyNodes, "The encoded value has more than {1} nodes."},
    {MessageIds::kValueTruncated, "The encoded value ends early, at byte {1}."},
    {MessageIds::kValueFormat, "The encoded value is of the unknown format {1}."},
    {MessageIds::kValueKind, "Unknown value kind {1} at byte {2}."},
    {MessageIds::kValueCount, "The count {1} at byte {2} exceeds what the value holds."},
    {MessageIds::kValueFieldOrder, "The field '{1}' at byte {2} is out of order or repeated."},
    {MessageIds::kValueMalformed, "Malformed {1} at byte {2}."},
    {MessageIds::kValueTrailing, "{1} bytes follow the encoded value."},
    {MessageIds::kRemoteUnavailable, "The service at {1} is unavailable: {2}"},
    {MessageIds::kRemoteUnauthenticated, "The service at {1} refused the credentials: {2}"},
    {MessageIds::kRemoteProtocol, "The peer broke the call protocol: {1}"},
    {MessageIds::kRemoteFileUnreadable, "Cannot read the file '{1}'."},
    {MessageIds::kRemoteInsecureAddress,
     "Listening on {1}, which is not a loopback address, needs TLS or an explicit choice of an "
     "insecure server."},
    {MessageIds::kRemoteListenFailed, "Cannot listen on {1}."},
    {MessageIds::kRemoteTlsIncomplete, "TLS needs {1}."},
};

}  // namespace

std::string Message<CoreTag>::DefaultMessageForId(const std::string& id) {
  const auto it = std::find_if(std::begin(kCatalog), std::end(kCatalog),
                               [&id](const Entry& entry) { return id == entry.id; });
  if (it != std::end(kCatalog)) return it->text;
  return "Message '" + id + "'.";
}

}  // namespace Jorv
