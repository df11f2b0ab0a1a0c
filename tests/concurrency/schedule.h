#pragma once
// A test's own scheduler for work that completes calls: tasks held back and run later in a
// random order chosen by a seeded generator, and tasks run on worker threads, concurrently with
// the test. An exception escaping a task is counted, not lost.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Jorv {
namespace Testing {

// The seed of a random schedule: the environment variable `name` when it holds a number, else
// `fallback`.
inline std::uint32_t ScheduleSeed(const char* name, std::uint32_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  return static_cast<std::uint32_t>(std::stoul(text));
}

// Counts live objects across threads.
class Census {
 public:
  // An owner of nothing that counts as one live object while any copy of it lives.
  std::shared_ptr<void> Token() {
    live_.fetch_add(1);
    return std::shared_ptr<void>(nullptr, [this](void*) { live_.fetch_sub(1); });
  }
  int Live() const { return live_.load(); }

 private:
  std::atomic<int> live_{0};
};

class Scheduler {
 public:
  using Task = std::function<void()>;

  Scheduler(std::uint32_t seed, int workers) : random_(seed) {
    for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
  }
  ~Scheduler() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  // Holds `task` back until RunOneLater picks it. Any thread.
  void Later(Task task) {
    std::lock_guard<std::mutex> lock(mutex_);
    later_.push_back(std::move(task));
  }
  // Runs `task` on a worker thread. Any thread.
  void OnWorker(Task task) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++busy_;
      queue_.push_back(std::move(task));
    }
    wake_.notify_one();
  }
  // Runs one held-back task chosen at random, on the calling thread; false when none waits.
  bool RunOneLater() {
    Task task;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (later_.empty()) return false;
      const std::size_t pick =
          std::uniform_int_distribution<std::size_t>(0, later_.size() - 1)(random_);
      task = std::move(later_[pick]);
      later_[pick] = std::move(later_.back());
      later_.pop_back();
    }
    Run(task);
    return true;
  }
  // Runs held-back tasks and waits for the workers until no task is left anywhere, including
  // tasks that running ones add.
  void Drain() {
    for (;;) {
      while (RunOneLater()) {
      }
      std::unique_lock<std::mutex> lock(mutex_);
      idle_.wait(lock, [this] { return busy_ == 0; });
      if (later_.empty()) return;
    }
  }
  // A number in [0, bound), from the schedule's generator.
  int Pick(int bound) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::uniform_int_distribution<int>(0, bound - 1)(random_);
  }
  // The exceptions that escaped tasks, as their what() texts.
  std::vector<std::string> Escaped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return escaped_;
  }

 private:
  void Run(const Task& task) {
    try {
      task();
    } catch (const std::exception& e) {
      std::lock_guard<std::mutex> lock(mutex_);
      escaped_.push_back(e.what());
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      escaped_.push_back("unknown exception");
    }
  }
  void Work() {
    for (;;) {
      Task task;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        task = std::move(queue_.front());
        queue_.pop_front();
      }
      Run(task);
      task = nullptr;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        --busy_;
      }
      idle_.notify_all();
    }
  }

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::mt19937 random_;
  std::vector<Task> later_;
  std::deque<Task> queue_;
  int busy_ = 0;
  bool stopping_ = false;
  std::vector<std::string> escaped_;
  std::vector<std::thread> threads_;
};

}  // namespace Testing
}  // namespace Jorv
