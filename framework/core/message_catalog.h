#pragma once
// Identifiers of the messages that the runtime and the bindings report. Their default English
// texts live in the framework's catalog, Message<CoreTag>::DefaultMessageForId.

namespace Jorv {
namespace MessageIds {

// Conversions.
constexpr const char kUnsetNonOptionalField[] = "jorv.data.unset.non.optional.field";
constexpr const char kUnsetField[] = "jorv.data.unset.field";
constexpr const char kInvalidType[] = "jorv.data.invalid.type";
constexpr const char kBadCast1[] = "jorv.data.bad.cast1";
// Data values: a missing field (field, structure), a kind mismatch (expected, found), a text
// that does not parse (text, kind).
constexpr const char kMissingField[] = "jorv.data.missing.field";
constexpr const char kTypeMismatch[] = "jorv.data.type.mismatch";
constexpr const char kParseFailed[] = "jorv.data.parse.failed";
// Provider side.
constexpr const char kSignalNotConnected[] = "jorv.provider.method.signal.not.connected";

}  // namespace MessageIds
}  // namespace Jorv
