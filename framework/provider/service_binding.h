#pragma once
// Binding a service implementation: one signal per method, connected to a method filter that
// calls the implementation, published together as one interface. A service's binder lists its
// methods once:
//
//   return Jorv::Provider::PublishInterface(implementation, localizer,
//       Jorv::Provider::Bind<GetMethod, GetMethodBuilder>(&AsyncServiceInterface::Get), ...);

#include <list>
#include <memory>
#include <type_traits>

#include "framework/core/async_api_method.h"
#include "framework/core/identifiers.h"
#include "framework/provider/async_api_method_filter.h"
#include "framework/provider/async_api_method_signal.h"

namespace Jorv {
namespace Provider {

// Makes the method filter of method M from a pointer to the interface operation and the
// implementation; the localizer is not kept.
template <class M>
struct MethodBuilder {
  template <class Interface, class Op>
  auto operator()(Op operation, const std::shared_ptr<Interface>& implementation,
                  const std::shared_ptr<L10n::Localizer>& /*localizer*/) const {
    using Adapter = MethodCallAdapter<Interface, Op>;
    return AsyncApiMethodFilter<Adapter, typename M::Output, typename M::Input, DirectFilterBinder>(
        Adapter(operation, implementation));
  }
};

namespace detail {

// Whether M delivers a stream of reports rather than one result.
template <class M, class = void>
struct IsStreaming : std::false_type {};
template <class M>
struct IsStreaming<M, std::void_t<typename M::StreamResultCbType>> : std::true_type {};

}  // namespace detail

// One method of a service, ready to be bound to an implementation.
template <class M, class Builder, class Op>
class MethodBinding {
 public:
  explicit MethodBinding(Op operation) : operation_(operation) {}

  // A new signal of M, with its definitions derived once here, connected to the filter that
  // Builder makes for the implementation.
  template <class Interface>
  std::shared_ptr<const AsyncApiMethod> operator()(
      const std::shared_ptr<Interface>& implementation,
      const std::shared_ptr<L10n::Localizer>& localizer) const {
    auto signal = AsyncApiMethodSignal::GetInstance(
        M::methodName(), M::inputDef(), M::outputDef(), M::errorDefs(), localizer,
        detail::IsStreaming<M>::value ? AsyncApiMethodSignal::Completion::kStream
                                      : AsyncApiMethodSignal::Completion::kSingleResult);
    signal->Connect(Builder()(operation_, implementation, localizer));
    return signal;
  }

 private:
  Op operation_;
};

template <class M, class Builder, class Op>
MethodBinding<M, Builder, Op> Bind(Op operation) {
  return MethodBinding<M, Builder, Op>(operation);
}

// Binds each method of `bindings`, in order, to `implementation` and publishes them as the
// interface named TypeInfo<Interface>::name(). Neither argument may be null.
template <class Interface, class... Bindings>
std::shared_ptr<const AsyncApiInterface> PublishInterface(
    const std::shared_ptr<Interface>& implementation,
    const std::shared_ptr<L10n::Localizer>& localizer, const Bindings&... bindings) {
  std::list<std::shared_ptr<const AsyncApiMethod>> methods{bindings(implementation, localizer)...};
  return AsyncApiInterface::GetInstance(
      Core::InterfaceIdentifier::GetInstance(Data::TypeInfo<Interface>::name()), methods);
}

// The binder of a service: BindImplementation as the services publish it. `Helper::Bind` lists
// the service's methods.
template <class Interface, class Helper>
struct ServiceBinder {
  // Binds `implementation` with a new default localizer.
  static std::shared_ptr<const AsyncApiInterface> BindImplementation(
      const std::shared_ptr<Interface>& implementation) {
    return BindImplementation(implementation, std::make_shared<L10n::Localizer>());
  }
  // Binds `implementation`; calls find `localizer` in their activation. Neither may be null.
  static std::shared_ptr<const AsyncApiInterface> BindImplementation(
      const std::shared_ptr<Interface>& implementation,
      const std::shared_ptr<L10n::Localizer>& localizer) {
    return Helper::Bind(implementation, localizer);
  }
};

}  // namespace Provider
}  // namespace Jorv
