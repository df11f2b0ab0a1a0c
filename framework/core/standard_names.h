#pragma once
// Wire names that the runtime and the bindings share: the localizable-message structure that
// error values carry, the empty operation input, and the standard error names.

namespace Jorv {
namespace Std {

// The localizable-message structure and its fields.
constexpr const char kLocalizableMessageName[] = "com.zentak.jorv.std.localizable_message";
constexpr const char kLocalizableMessageId[] = "id";
constexpr const char kLocalizableMessageDefaultMessage[] = "default_message";
constexpr const char kLocalizableMessageArgs[] = "args";

// The field of an error value that lists its messages.
constexpr const char kErrorMessagesField[] = "messages";

// The structure name of every method input.
constexpr const char kOperationInputName[] = "com.zentak.jorv.std.operation_input";

// Standard error names.
constexpr const char kInvalidArgument[] = "com.zentak.jorv.std.errors.invalid_argument";
constexpr const char kInternalServerError[] = "com.zentak.jorv.std.errors.internal_server_error";

}  // namespace Std
}  // namespace Jorv
