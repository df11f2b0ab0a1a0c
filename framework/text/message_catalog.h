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
// Remote transport, data values that do not decode: a frame over the size limit (size, limit),
// a value over the node limit (limit), a frame that ends early (offset), an unknown format
// (format), an unknown kind (kind, offset), a count that what follows cannot hold (count,
// offset), a field name out of order or repeated (name, offset), a malformed item (what,
// offset), bytes left over (count).
inline constexpr char kValueTooLarge[] = "jorv.remote.value.too.large";
inline constexpr char kValueTooManyNodes[] = "jorv.remote.value.too.many.nodes";
inline constexpr char kValueTruncated[] = "jorv.remote.value.truncated";
inline constexpr char kValueFormat[] = "jorv.remote.value.format";
inline constexpr char kValueKind[] = "jorv.remote.value.kind";
inline constexpr char kValueCount[] = "jorv.remote.value.count";
inline constexpr char kValueFieldOrder[] = "jorv.remote.value.field.order";
inline constexpr char kValueMalformed[] = "jorv.remote.value.malformed";
inline constexpr char kValueTrailing[] = "jorv.remote.value.trailing";
// Remote transport, calls and set-up: a service that cannot be reached or went away (target,
// transport status), one that refused the call's credentials (target, transport status), a
// frame that breaks the protocol (what), a file that cannot be read (path), a listening
// address that needs TLS (address), one that cannot be bound (address), TLS settings that
// are incomplete (what is missing).
inline constexpr char kRemoteUnavailable[] = "jorv.remote.unavailable";
inline constexpr char kRemoteUnauthenticated[] = "jorv.remote.unauthenticated";
inline constexpr char kRemoteProtocol[] = "jorv.remote.protocol";
inline constexpr char kRemoteFileUnreadable[] = "jorv.remote.file.unreadable";
inline constexpr char kRemoteInsecureAddress[] = "jorv.remote.insecure.address";
inline constexpr char kRemoteListenFailed[] = "jorv.remote.listen.failed";
inline constexpr char kRemoteTlsIncomplete[] = "jorv.remote.tls.incomplete";

}  // namespace MessageIds
}  // namespace Jorv
