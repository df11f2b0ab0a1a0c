#pragma once
// What every client call does before it is sent: address the method and convert its input
// record into the call's input structure.

#include <list>
#include <memory>

#include "framework/core/identifiers.h"
#include "framework/core/localization.h"
#include "framework/data/native_to_value.h"

namespace Jorv {
namespace Stub {
namespace detail {

// The identifier of method M, made once and shared by every call of M.
template <class M>
const std::shared_ptr<const Core::MethodIdentifier>& MethodIdOf() {
  static const std::shared_ptr<const Core::MethodIdentifier> id =
      Core::MethodIdentifier::GetInstance(Core::InterfaceIdentifier::GetInstance(
                                              Data::TypeInfo<typename M::ServiceInterface>::name()),
                                          M::methodName());
  return id;
}

// The request localizer of "en_US", "C" and "Etc/UTC" that every call's input is converted with.
inline const L10n::RequestLocalizer& InputLocalizer() {
  static const L10n::RequestLocalizer localizer{L10n::Localizer(), L10n::LocaleSpec()};
  return localizer;
}

// The identifier of method M in `methodId`; `value` receives the converted input. Returns
// false, with the conversion messages in `messages`, when the input does not convert. The
// conversion uses the request localizer of "en_US", "C" and "Etc/UTC", whatever the caller's
// activation.
template <class M>
bool PrepareCall(const typename M::Input& input,
                 std::shared_ptr<const Core::MethodIdentifier>& methodId, Data::DataValuePtr& value,
                 std::list<BaseMessage>& messages) {
  methodId = MethodIdOf<M>();
  return Data::NativeToValueAdapter::Adapt(
      &input, Data::NativeToValueAdapter::AdaptMethod<typename M::Input>::Get(&input), &value,
      messages, InputLocalizer());
}

}  // namespace detail
}  // namespace Stub
}  // namespace Jorv
