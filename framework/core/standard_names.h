#pragma once
// Wire names that the runtime and the bindings share: the localizable-message structure that
// error values carry, the empty operation input, and the standard error names.

namespace Jorv {
namespace Std {

// The localizable-message structure and its fields.
inline constexpr char kLocalizableMessageName[] = "com.zentak.jorv.std.localizable_message";
inline constexpr char kLocalizableMessageId[] = "id";
inline constexpr char kLocalizableMessageDefaultMessage[] = "default_message";
inline constexpr char kLocalizableMessageArgs[] = "args";

// The field of an error value that lists its messages.
inline constexpr char kErrorMessagesField[] = "messages";

// The structure name of every method input.
inline constexpr char kOperationInputName[] = "com.zentak.jorv.std.operation_input";

// Standard error names.
inline constexpr char kInvalidArgument[] = "com.zentak.jorv.std.errors.invalid_argument";
inline constexpr char kInternalServerError[] = "com.zentak.jorv.std.errors.internal_server_error";
inline constexpr char kServiceUnavailable[] = "com.zentak.jorv.std.errors.service_unavailable";
inline constexpr char kUnauthenticated[] = "com.zentak.jorv.std.errors.unauthenticated";

}  // namespace Std
}  // namespace Jorv
