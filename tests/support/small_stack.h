#pragma once
// Runs a piece of test code on a thread with a small stack, so that a test fails loudly (by
// crashing) when code under test recurses once per level of a deeply nested value.

#include <pthread.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>

namespace Jorv {
namespace Testing {

// The stack size RunOnSmallStack gives its thread: 256 KiB, far too little for a recursion a
// million levels deep, plenty for code that keeps its work on the heap.
constexpr std::size_t kSmallStackBytes = 256 * 1024;

// Runs `body` on a new thread whose stack is `stackBytes` long and waits for it to finish. An
// exception thrown by `body` is rethrown on the calling thread. Throws std::runtime_error when
// the thread cannot be started.
inline void RunOnSmallStack(std::function<void()> body, std::size_t stackBytes = kSmallStackBytes) {
  // The body, then what it threw.
  std::pair<std::function<void()>, std::exception_ptr> job{std::move(body), nullptr};
  auto run = [](void* arg) -> void* {
    auto* j = static_cast<decltype(job)*>(arg);
    try {
      j->first();
    } catch (...) {
      j->second = std::current_exception();
    }
    return nullptr;
  };
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) throw std::runtime_error("pthread_attr_init failed");
  const int sizeResult = pthread_attr_setstacksize(&attr, stackBytes);
  pthread_t thread;
  const int createResult = sizeResult == 0 ? pthread_create(&thread, &attr, run, &job) : -1;
  pthread_attr_destroy(&attr);
  if (createResult != 0) throw std::runtime_error("cannot start a small-stack thread");
  pthread_join(thread, nullptr);
  if (job.second) std::rethrow_exception(job.second);
}

}  // namespace Testing
}  // namespace Jorv
