#pragma once
// A callback whose copies share one delivery: a final call spends it for every copy, so any
// holder of a copy can tell whether the receiver has had its final report.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace Jorv {
namespace detail {

// Whether F is a callable object (not a std::function, a function pointer or nullptr) that a
// SharedCallback can hold directly.
template <class F, class Function, class Self, class... Args>
constexpr bool kHoldsDirectly =
    std::is_class<std::decay_t<F>>::value && !std::is_same<std::decay_t<F>, Function>::value &&
    !std::is_base_of<Self, std::decay_t<F>>::value &&
    std::is_invocable<std::decay_t<F>&, Args...>::value;

template <class... Args>
class SharedCallback {
 public:
  using Function = std::function<void(Args...)>;

  SharedCallback() = default;
  // Holds `function`; an empty one gives an empty callback.
  explicit SharedCallback(Function function)
      : state_(function ? std::make_shared<Holder<Function>>(std::move(function)) : nullptr) {}
  // Holds the callable object `function` itself, in the shared state, without a std::function
  // around it: one allocation per callback.
  template <class F, class = std::enable_if_t<kHoldsDirectly<F, Function, SharedCallback, Args...>>>
  explicit SharedCallback(F&& function)
      : state_(std::make_shared<Holder<std::decay_t<F>>>(std::forward<F>(function))) {}

  // Calls the function. A final call spends the callback before it runs, so that a report made
  // from inside the delivery finds it spent; the function leaves the shared state before it
  // runs and is destroyed when it returns. Throws std::bad_function_call when the callback is
  // empty or spent.
  void Call(bool final, Args... args) const {
    if (!state_ || state_->spent.load()) throw std::bad_function_call();
    if (!final) {
      state_->Invoke(std::forward<Args>(args)...);
      return;
    }
    if (state_->spent.exchange(true)) throw std::bad_function_call();
    state_->InvokeLast(std::forward<Args>(args)...);
  }

  bool IsArmed() const { return state_ && !state_->spent.load(); }

 private:
  struct State {
    virtual ~State() = default;
    virtual void Invoke(Args... args) = 0;
    // Moves the function out of the state, then calls it: the state may die during the call.
    virtual void InvokeLast(Args... args) = 0;
    std::atomic<bool> spent{false};
  };

  template <class F>
  struct Holder final : State {
    template <class G>
    explicit Holder(G&& f) : function(std::in_place, std::forward<G>(f)) {}
    void Invoke(Args... args) override { (*function)(std::forward<Args>(args)...); }
    void InvokeLast(Args... args) override {
      F last(std::move(*function));
      function.reset();
      last(std::forward<Args>(args)...);
    }
    std::optional<F> function;
  };

  std::shared_ptr<State> state_;
};

}  // namespace detail
}  // namespace Jorv
