#pragma once
// The stats-demo program run as a child process by a test: its standard output read line by
// line with a time limit, signals sent to it, its exit awaited within a bound. A child still
// running when the object goes is killed and reaped.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace StatsDemo {
namespace Testing {

class DemoProcess {
 public:
  // Starts STATS_DEMO_BINARY with `args`; its standard error is discarded.
  explicit DemoProcess(const std::vector<std::string>& args) {
    std::vector<std::string> all{STATS_DEMO_BINARY};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) {
      ADD_FAILURE() << "pipe failed";
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      // Only async-signal-safe calls until exec.
      dup2(out[1], STDOUT_FILENO);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDERR_FILENO);
      close(out[0]);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
  }
  ~DemoProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  DemoProcess(const DemoProcess&) = delete;
  DemoProcess& operator=(const DemoProcess&) = delete;

  // The next line of its output that contains `text` (lines before it are skipped), waiting at
  // most `patience`; "" when none came.
  std::string LineWith(const std::string& text,
                       std::chrono::milliseconds patience = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + patience;
    for (;;) {
      const auto end = buffered_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        if (line.find(text) != std::string::npos) return line;
        continue;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          until - std::chrono::steady_clock::now());
      pollfd ready{out_, POLLIN, 0};
      if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return "";
      char chunk[4096];
      const ssize_t got = read(out_, chunk, sizeof chunk);
      if (got <= 0) return "";
      buffered_.append(chunk, static_cast<std::size_t>(got));
    }
  }

  void Signal(int signal) const { kill(pid_, signal); }

  // Its exit status, waiting at most `patience`; -1 when it is still running then.
  int Wait(std::chrono::milliseconds patience = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + patience;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  bool exited_ = false;
  std::string buffered_;
};

}  // namespace Testing
}  // namespace StatsDemo
