#pragma once
// Identifiers of the messages that the runtime and the bindings report. Their default English
// texts live in the framework's catalog, Message<CoreTag>::DefaultMessageForId.

namespace Jorv {
namespace MessageIds {

// Conversions.
inline constexpr char kUnsetNonOptionalField[] = "jorv.data.unset.non.optional.field";
inline constexpr char kUnsetField[] = "jorv.data.unset.field";
inline constexpr char kInvalidType[] = "jorv.data.invalid.type";
inline constexpr char kBadCast1[] = "jorv.data.bad.cast1";
// Data values: a missing field (field, structure), a kind mismatch (expected, found), a text
// that does not parse (text, kind).
inline constexpr char kMissingField[] = "jorv.data.missing.field";
inline constexpr char kTypeMismatch[] = "jorv.data.type.mismatch";
inline constexpr char kParseFailed[] = "jorv.data.parse.failed";
// Validation of a value against a definition; each names the path of the offending place. A
// kind mismatch (expected kind, path, found kind), a structure name mismatch (expected, path,
// found), a missing required field (its path), a text that does not parse (text, path, kind),
// a malformed map entry (path), a structure reference without target (name, path).
inline constexpr char kValidationKind[] = "jorv.data.validation.kind";
inline constexpr char kValidationStructName[] = "jorv.data.validation.struct.name";
inline constexpr char kValidationMissingField[] = "jorv.data.validation.missing.field";
inline constexpr char kValidationParse[] = "jorv.data.validation.parse";
inline constexpr char kValidationMapEntry[] = "jorv.data.validation.map.entry";
inline constexpr char kValidationUnresolved[] = "jorv.data.validation.unresolved";
// Provider side.
inline constexpr char kSignalNotConnected[] = "jorv.provider.method.signal.not.connected";
// Provider validation services: an input or output that does not conform (method, path), an
// error that does not conform to its declaration (method, error, path), an undeclared error
// (method, error), a call that ended without the output or error value it owes (method).
inline constexpr char kInputInvalid[] = "jorv.provider.input.invalid";
inline constexpr char kOutputInvalid[] = "jorv.provider.output.invalid";
inline constexpr char kErrorInvalid[] = "jorv.provider.error.invalid";
inline constexpr char kErrorUndeclared[] = "jorv.provider.error.undeclared";
inline constexpr char kErrorMissing[] = "jorv.provider.error.missing";
// In-process transport: an unknown interface (name), an unknown method (method, interface), a
// method that threw (method, what it threw).
inline constexpr char kUnknownInterface[] = "jorv.core.unknown.interface";
inline constexpr char kUnknownMethod[] = "jorv.core.unknown.method";
inline constexpr char kMethodFailed[] = "jorv.core.method.failed";

}  // namespace MessageIds
}  // namespace Jorv
