#pragma once
// A callback whose copies share one delivery: a final call spends it for every copy, so any
// holder of a copy can tell whether the receiver has had its final report.

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

namespace Jorv {
namespace detail {

template <class... Args>
class SharedCallback {
 public:
  using Function = std::function<void(Args...)>;

  SharedCallback() = default;
  explicit SharedCallback(Function function)
      : state_(function ? std::make_shared<State>(std::move(function)) : nullptr) {}

  // Calls the function. A final call spends the callback before it runs, so that a report made
  // from inside the delivery finds it spent. Throws std::bad_function_call when the callback
  // is empty or spent.
  void Call(bool final, Args... args) const {
    if (!state_ || state_->spent.load()) throw std::bad_function_call();
    if (!final) {
      state_->function(std::forward<Args>(args)...);
      return;
    }
    if (state_->spent.exchange(true)) throw std::bad_function_call();
    Function function = std::move(state_->function);
    function(std::forward<Args>(args)...);
  }

  bool IsArmed() const { return state_ && !state_->spent.load(); }

 private:
  struct State {
    explicit State(Function f) : function(std::move(f)) {}
    Function function;
    std::atomic<bool> spent{false};
  };
  std::shared_ptr<State> state_;
};

}  // namespace detail
}  // namespace Jorv
