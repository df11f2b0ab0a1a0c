#pragma once
// Jorv::Data::NativeError: an error as a provider implementation states it natively, by name
// and messages, before it is rendered into an error value in the caller's locale.

#include <list>
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "framework/core/compound_value.h"
#include "framework/core/localization.h"

namespace Jorv {
namespace Data {

struct NativeError {
  std::string name;
  std::list<BaseMessage> messages;
};

struct NativeErrorHelper {
  // The error value to report: `error` when it is set; else one named after `nativeError` whose
  // messages keep their identifiers and arguments and have their default texts rendered by
  // `localizer`; null when neither is set.
  static std::shared_ptr<const ErrorValue> GetError(const std::shared_ptr<const ErrorValue>& error,
                                                    const boost::optional<NativeError>& nativeError,
                                                    const L10n::RequestLocalizer& localizer) {
    if (error || !nativeError) return error;
    std::list<BaseMessage> rendered;
    for (const BaseMessage& message : nativeError->messages) {
      rendered.emplace_back(message.GetId(), localizer.Localize(message), message.GetArgs());
    }
    return ErrorValue::Create(nativeError->name, rendered);
  }
};

}  // namespace Data
}  // namespace Jorv
