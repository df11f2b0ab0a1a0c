#pragma once
// Jorv::Core::AsyncActivation: what travels with one call besides its input: the execution
// context (application and security context maps), the localizer and the locale in which
// errors are rendered.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "framework/core/localization.h"

namespace Jorv {
namespace Core {

struct ExecutionContext {
  std::map<std::string, std::string> applicationContext;
  std::map<std::string, std::string> securityContext;
};

class AsyncActivation {
 public:
  AsyncActivation() : context(std::make_shared<ExecutionContext>()) {}

  // A copy for another call: a new execution context copied entry by entry, the localizer and
  // the locale spec shared, and the call sequence number restarted at zero.
  std::shared_ptr<AsyncActivation> CopyForCall() const {
    auto copy = std::make_shared<AsyncActivation>(*this);
    copy->context = std::make_shared<ExecutionContext>(context ? *context : ExecutionContext());
    copy->sequence = 0;
    return copy;
  }

  // The activation's localizer with its locale spec when the localizer is set and not empty
  // and a locale spec is present; the default request localizer otherwise.
  L10n::RequestLocalizer GetErrorRequestLocalizer() const {
    if (localizer && !localizer->empty() && localeSpec) {
      return L10n::RequestLocalizer(*localizer, *localeSpec);
    }
    return L10n::RequestLocalizerHelper::GetDefaultRequestLocalizer();
  }

  // The localizer and locale spec as they are, defaults where unset.
  L10n::RequestLocalizer GetRequestLocalizer() const {
    return L10n::RequestLocalizer(localizer ? *localizer : L10n::Localizer(),
                                  localeSpec ? *localeSpec : L10n::LocaleSpec());
  }

  std::shared_ptr<ExecutionContext> context;
  std::shared_ptr<L10n::Localizer> localizer;
  std::shared_ptr<L10n::LocaleSpec> localeSpec;
  // Counts the reports of a call; restarts at zero in a copy.
  std::uint32_t sequence = 0;
};

}  // namespace Core
}  // namespace Jorv
