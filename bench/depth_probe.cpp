// stats_depth_probe: finds the deepest self-nested record that each library converts to its
// tree and back without crashing. Every depth is tried in a forked child that converts on a
// thread with the default 8 MiB stack; the depth doubles until a child fails, then the gap is
// narrowed by bisection. Prints the limits as JSON on standard output.
//
//   stats_depth_probe [cap-for-ours [cap-for-peers]]

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/json.hpp>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "depth_search.h"
#include "framework/jorv.h"

namespace {

constexpr std::size_t kDefaultStackBytes = 8 * 1024 * 1024;

// A record of ours that holds another of its own type.
struct Nest : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.bench.nest";
  long long level = 0;
  Jorv::OptionalPtr<const Nest> child;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("level", &Nest::level);
      f.Field("child", &Nest::child);
    }
  };
};

// Releases a chain link by link, so that a long one is not destroyed by nested destructors.
void Unlink(std::shared_ptr<const Nest> head) {
  while (head) {
    std::shared_ptr<const Nest> next = head->child;
    if (head.use_count() == 1) const_cast<Nest&>(*head).child.reset();
    head = std::move(next);
  }
}

bool OursConverts(long depth) {
  std::shared_ptr<const Nest> head;
  for (long i = 1; i <= depth; ++i) {
    auto node = std::make_shared<Nest>();
    node->level = i;
    node->child = std::move(head);
    head = std::move(node);
  }
  Jorv::Data::DataValuePtr value;
  std::list<Jorv::BaseMessage> messages;
  bool ok = Jorv::Data::NativeToValueAdapter::Adapt(
      head.get(), Jorv::Data::NativeToValueAdapter::AdaptMethod<Nest>::Get(head.get()), &value,
      messages, Jorv::L10n::RequestLocalizerHelper::GetDefaultRequestLocalizer());
  auto back = std::make_shared<Nest>();
  ok = ok &&
       Jorv::Data::ValueToNativeAdapter::Adapt(
           value, Jorv::Data::ValueToNativeAdapter::AdaptMethod<Nest>::Get(), back.get(), messages);
  long levels = 0;
  for (const Nest* n = back.get(); n != nullptr; n = n->child.get()) {
    if (n->level != depth - levels) ok = false;
    ++levels;
  }
  Unlink(std::move(head));
  Unlink(std::move(back));
  return ok && levels == depth;
}

// The same record as a plain struct, converted the way each JSON library's users write it.
struct PlainNest {
  long long level = 0;
  std::unique_ptr<PlainNest> child;

  PlainNest() = default;
  PlainNest(PlainNest&&) = default;
  PlainNest& operator=(PlainNest&&) = default;
  ~PlainNest() {
    std::unique_ptr<PlainNest> next = std::move(child);
    while (next) next = std::move(next->child);
  }
};

void to_json(nlohmann::json& j, const PlainNest& n) {
  j = {{"level", n.level}, {"child", n.child ? nlohmann::json(*n.child) : nlohmann::json()}};
}
void from_json(const nlohmann::json& j, PlainNest& n) {
  j.at("level").get_to(n.level);
  const nlohmann::json& child = j.at("child");
  if (!child.is_null()) {
    n.child = std::make_unique<PlainNest>();
    child.get_to(*n.child);
  }
}

void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const PlainNest& n) {
  boost::json::object& o = jv.emplace_object();
  o.emplace("level", n.level);
  boost::json::value& child = o["child"];
  if (n.child) child = boost::json::value_from(*n.child, o.storage());
}
PlainNest tag_invoke(const boost::json::value_to_tag<PlainNest>&, const boost::json::value& jv) {
  const boost::json::object& o = jv.as_object();
  PlainNest n;
  n.level = boost::json::value_to<long long>(o.at("level"));
  const boost::json::value& child = o.at("child");
  if (!child.is_null())
    n.child = std::make_unique<PlainNest>(boost::json::value_to<PlainNest>(child));
  return n;
}

PlainNest MakePlain(long depth) {
  PlainNest head;
  head.level = depth;
  PlainNest* tail = &head;
  for (long i = depth - 1; i >= 1; --i) {
    tail->child = std::make_unique<PlainNest>();
    tail = tail->child.get();
    tail->level = i;
  }
  return head;
}

bool SameChain(const PlainNest& back, long depth) {
  long levels = 0;
  for (const PlainNest* n = &back; n != nullptr; n = n->child.get()) {
    if (n->level != depth - levels) return false;
    ++levels;
  }
  return levels == depth;
}

bool NlohmannConverts(long depth) {
  const PlainNest input = MakePlain(depth);
  PlainNest back;
  {
    const nlohmann::json tree = input;
    tree.get_to(back);
  }
  return SameChain(back, depth);
}

bool BoostJsonConverts(long depth) {
  const PlainNest input = MakePlain(depth);
  PlainNest back;
  {
    const boost::json::value tree = boost::json::value_from(input);
    back = boost::json::value_to<PlainNest>(tree);
  }
  return SameChain(back, depth);
}

// Runs `convert(depth)` in a forked child, on a thread with the default stack. True when the
// child reported success; a crash, an exception or a wrong result is failure.
bool ConvertsInChild(const std::function<bool(long)>& convert, long depth) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    std::exit(2);
  }
  if (child == 0) {
    struct Job {
      const std::function<bool(long)>* convert;
      long depth;
      bool ok;
    } job{&convert, depth, false};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kDefaultStackBytes);
    pthread_t thread;
    auto run = [](void* arg) -> void* {
      auto* j = static_cast<Job*>(arg);
      try {
        j->ok = (*j->convert)(j->depth);
      } catch (...) {
        j->ok = false;
      }
      return nullptr;
    };
    if (pthread_create(&thread, &attr, run, &job) != 0) _exit(3);
    pthread_join(thread, nullptr);
    _exit(job.ok ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const long oursCap = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long peerCap = argc > 2 ? std::atol(argv[2]) : oursCap;
  const std::pair<const char*, std::function<bool(long)>> libraries[] = {
      {"ours", OursConverts},
      {"nlohmann", NlohmannConverts},
      {"boost_json", BoostJsonConverts},
  };
  nlohmann::json out = nlohmann::json::array();
  for (const auto& library : libraries) {
    const long cap = std::string(library.first) == "ours" ? oursCap : peerCap;
    const StatsBench::DepthLimit limit = StatsBench::FindDepthLimit(
        [&](long depth) { return ConvertsInChild(library.second, depth); }, cap);
    std::cerr << "depth: " << library.first << " converts " << limit.deepest << " levels"
              << (limit.firstFailure ? ", fails at " + std::to_string(limit.firstFailure) : "")
              << "\n";
    out.push_back({{"library", library.first},
                   {"deepest", limit.deepest},
                   {"first_failure", limit.firstFailure},
                   {"cap", cap}});
  }
  std::cout << out.dump(2) << "\n";
  return 0;
}
