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
// Validation of a value against a definition; each names the path of the offending place. A
// kind mismatch (expected kind, path, found kind), a structure name mismatch (expected, path,
// found), a missing required field (its path), a text that does not parse (text, path, kind),
// a malformed map entry (path), a structure reference without target (name, path).
constexpr const char kValidationKind[] = "jorv.data.validation.kind";
constexpr const char kValidationStructName[] = "jorv.data.validation.struct.name";
constexpr const char kValidationMissingField[] = "jorv.data.validation.missing.field";
constexpr const char kValidationParse[] = "jorv.data.validation.parse";
constexpr const char kValidationMapEntry[] = "jorv.data.validation.map.entry";
constexpr const char kValidationUnresolved[] = "jorv.data.validation.unresolved";
// Provider side.
constexpr const char kSignalNotConnected[] = "jorv.provider.method.signal.not.connected";
// Provider validation services: an input or output that does not conform (method, path), an
// error that does not conform to its declaration (method, error, path), an undeclared error
// (method, error), an error report without an error value (method).
constexpr const char kInputInvalid[] = "jorv.provider.input.invalid";
constexpr const char kOutputInvalid[] = "jorv.provider.output.invalid";
constexpr const char kErrorInvalid[] = "jorv.provider.error.invalid";
constexpr const char kErrorUndeclared[] = "jorv.provider.error.undeclared";
constexpr const char kErrorMissing[] = "jorv.provider.error.missing";
// In-process transport: an unknown interface (name), an unknown method (method, interface), a
// method that threw (method, what it threw).
constexpr const char kUnknownInterface[] = "jorv.core.unknown.interface";
constexpr const char kUnknownMethod[] = "jorv.core.unknown.method";
constexpr const char kMethodFailed[] = "jorv.core.method.failed";

}  // namespace MessageIds
}  // namespace Jorv
