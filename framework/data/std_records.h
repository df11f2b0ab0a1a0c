#pragma once
// The framework's standard records as native types: the localizable message that results and
// errors carry, the empty input of methods without parameters, and the standard errors, each a
// structure with its list of messages. Their field lists serve all three conversions.

#include <list>
#include <memory>
#include <string>

#include "framework/core/standard_names.h"
#include "framework/data/native.h"
#include "framework/text/message.h"

namespace Com {
namespace Zentak {
namespace Jorv {
namespace Std {

// A message as it travels: identifier, default text, arguments.
struct LocalizableMessage : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = ::Jorv::Std::kLocalizableMessageName;

  std::string id;
  std::string default_message;
  std::list<std::string> args;

  // A shared record holding what `message` holds.
  static std::shared_ptr<const LocalizableMessage> From(const ::Jorv::BaseMessage& message);
  // The message this record holds.
  ::Jorv::BaseMessage ToMessage() const { return ::Jorv::BaseMessage(id, default_message, args); }

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field(::Jorv::Std::kLocalizableMessageId, &LocalizableMessage::id);
      f.Field(::Jorv::Std::kLocalizableMessageDefaultMessage, &LocalizableMessage::default_message);
      f.Field(::Jorv::Std::kLocalizableMessageArgs, &LocalizableMessage::args);
    }
  };
};

namespace Errors {

// A standard error: its name and the messages that explain it.
template <const char* Name>
struct StandardError : ::Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = Name;

  std::list<std::shared_ptr<const LocalizableMessage>> messages;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field(::Jorv::Std::kErrorMessagesField, &StandardError::messages);
    }
  };
};

inline constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
inline constexpr char kUnauthenticated[] = "com.zentak.jorv.std.errors.unauthenticated";
inline constexpr char kUnauthorized[] = "com.zentak.jorv.std.errors.unauthorized";
inline constexpr char kServiceUnavailable[] = "com.zentak.jorv.std.errors.service_unavailable";
inline constexpr char kResourceBusy[] = "com.zentak.jorv.std.errors.resource_busy";
inline constexpr char kUnsupported[] = "com.zentak.jorv.std.errors.unsupported";
inline constexpr char kAlreadyInDesiredState[] =
    "com.zentak.jorv.std.errors.already_in_desired_state";
inline constexpr char kNotAllowedInCurrentState[] =
    "com.zentak.jorv.std.errors.not_allowed_in_current_state";
inline constexpr char kUnableToAllocateResource[] =
    "com.zentak.jorv.std.errors.unable_to_allocate_resource";
inline constexpr char kCanceled[] = "com.zentak.jorv.std.errors.canceled";

using NotFound = StandardError<kNotFound>;
using InvalidArgument = StandardError<::Jorv::Std::kInvalidArgument>;
using InternalServerError = StandardError<::Jorv::Std::kInternalServerError>;
using Unauthenticated = StandardError<kUnauthenticated>;
using Unauthorized = StandardError<kUnauthorized>;
using ServiceUnavailable = StandardError<kServiceUnavailable>;
using ResourceBusy = StandardError<kResourceBusy>;
using Unsupported = StandardError<kUnsupported>;
using AlreadyInDesiredState = StandardError<kAlreadyInDesiredState>;
using NotAllowedInCurrentState = StandardError<kNotAllowedInCurrentState>;
using UnableToAllocateResource = StandardError<kUnableToAllocateResource>;
using Canceled = StandardError<kCanceled>;

}  // namespace Errors
}  // namespace Std
}  // namespace Jorv
}  // namespace Zentak
}  // namespace Com

namespace Jorv {

// The input of a method without parameters: a structure with the operation-input name and no
// fields. Keeps no unknown fields.
struct OperationInput {
  static constexpr const char* kTypeName = Std::kOperationInputName;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields&) {}
  };
};

}  // namespace Jorv
