#include "examples/stats_demo/stream_service.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "examples/stats_demo/demo_messages.h"
#include "examples/stats_demo/service_support.h"
#include "framework/core/standard_names.h"

namespace StatsDemo {
namespace {

namespace StreamApi = Api::StreamSvc;
namespace Errors = ::Com::Zentak::Jorv::Std::Errors;

Failure Fail(const char* name, ::Jorv::BaseMessage message) {
  return ::Jorv::Data::NativeError{name, {std::move(message)}};
}

Failure CheckSettings(const boost::optional<long long>& interval,
                      const boost::optional<long long>& timeout,
                      const boost::optional<long long>& buffer) {
  if (interval && *interval <= 0) {
    return Fail(::Jorv::Std::kInvalidArgument,
                DemoMessage(MessageIds::kBadInterval, std::to_string(*interval)));
  }
  if (timeout && *timeout < 0) {
    return Fail(::Jorv::Std::kInvalidArgument,
                DemoMessage(MessageIds::kNegativeSetting, "timeout", std::to_string(*timeout)));
  }
  if (buffer && *buffer < 0) {
    return Fail(::Jorv::Std::kInvalidArgument,
                DemoMessage(MessageIds::kNegativeSetting, "buffer", std::to_string(*buffer)));
  }
  return boost::none;
}

// When the result after one at `from` is due. Intervals beyond a year are taken as a year, so
// that the time point cannot overflow.
std::chrono::steady_clock::time_point Due(std::chrono::steady_clock::time_point from,
                                          long long intervalMillis) {
  constexpr long long kYear = 365LL * 24 * 3600 * 1000;
  return from + std::chrono::milliseconds(std::min(intervalMillis, kYear));
}

}  // namespace

StreamService::StreamService(std::shared_ptr<HostStats> stats)
    : stats_(std::move(stats)), scheduler_([this] { Run(); }) {}

StreamService::~StreamService() { Shutdown(); }

void StreamService::Shutdown() {
  std::list<StreamResult> waiting;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    for (auto& entry : streams_) waiting.splice(waiting.end(), TakeWaitingLocked(entry.second));
    streams_.clear();
  }
  wake_.notify_all();
  if (scheduler_.joinable() && scheduler_.get_id() != std::this_thread::get_id()) {
    scheduler_.join();
  }
  for (const StreamResult& result : waiting) result.shutdown();
}

std::list<StreamService::StreamResult> StreamService::TakeWaitingLocked(Stream& stream) {
  std::list<StreamResult> waiting;
  for (const auto& attachment : stream.attachments) {
    if (attachment->waiting) waiting.push_back(std::move(*attachment->waiting));
    attachment->waiting.reset();
  }
  stream.attachments.clear();
  return waiting;
}

Failure StreamService::CheckQueryLocked(const std::string& query) {
  if (stopping_) {
    return Fail(Errors::kServiceUnavailable, DemoMessage(MessageIds::kShuttingDown));
  }
  if (!stats_->HasQuery(query)) {
    streams_.erase(query);
    return Fail(Errors::kNotFound, DemoMessage(MessageIds::kQueryNotFound, query));
  }
  return boost::none;
}

Failure StreamService::FindLocked(const std::string& query, Stream*& stream) {
  stream = nullptr;
  if (auto failure = CheckQueryLocked(query)) return failure;
  const auto found = streams_.find(query);
  if (found == streams_.end()) {
    return Fail(Errors::kNotFound, DemoMessage(MessageIds::kStreamNotFound, query));
  }
  stream = &found->second;
  return boost::none;
}

void StreamService::Create(const std::string& query,
                           const std::shared_ptr<const StreamApi::CreateSpec>& spec,
                           const std::shared_ptr<AsyncActivation>&,
                           const StreamApi::CreateMethod::ResultCbType& result) {
  Failure failure;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    failure = CheckQueryLocked(query);
    if (!failure && streams_.count(query) != 0) {
      failure = Fail(Errors::kAlreadyInDesiredState, DemoMessage(MessageIds::kStreamExists, query));
    }
    if (!failure) failure = CheckSettings(spec->interval, spec->timeout, spec->buffer);
    if (!failure) {
      Stream& created = streams_[query];
      created.interval = spec->interval;
      created.timeout = spec->timeout.value_or(0);
      created.buffer = spec->buffer.value_or(1);
    }
  }
  Complete(result, failure, ::Jorv::Void());
}

void StreamService::Get(const std::string& query, const std::shared_ptr<AsyncActivation>&,
                        const StreamApi::GetMethod::ResultCbType& result) {
  std::shared_ptr<StreamApi::Info> info;
  Failure failure;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Stream* stream = nullptr;
    failure = FindLocked(query, stream);
    if (stream) {
      info = std::make_shared<StreamApi::Info>();
      info->interval = stream->interval;
      info->timeout = stream->timeout;
      info->buffer = stream->buffer;
    }
  }
  Complete(result, failure, std::shared_ptr<const StreamApi::Info>(info));
}

void StreamService::Update(const std::string& query,
                           const std::shared_ptr<const StreamApi::UpdateSpec>& spec,
                           const std::shared_ptr<AsyncActivation>&,
                           const StreamApi::UpdateMethod::ResultCbType& result) {
  Failure failure;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Stream* stream = nullptr;
    failure = FindLocked(query, stream);
    if (stream) failure = CheckSettings(spec->interval, spec->timeout, spec->buffer);
    if (stream && !failure) {
      stream->interval = spec->interval.value_or(stream->interval);
      stream->timeout = spec->timeout.value_or(stream->timeout);
      stream->buffer = spec->buffer.value_or(stream->buffer);
    }
  }
  Complete(result, failure, ::Jorv::Void());
}

void StreamService::Attach(const std::string& query,
                           const std::shared_ptr<const StreamApi::AttachSpec>& spec,
                           const std::shared_ptr<AsyncActivation>&, const StreamResult& result) {
  if (spec->from_timestamp) {
    result.error(*Fail(Errors::kUnsupported,
                       DemoMessage(MessageIds::kNoHistory, spec->from_timestamp->ToString())));
    return;
  }
  // The first result's rates start here.
  SampleCursor cursor = stats_->StartCursor(query);
  Failure failure;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Stream* stream = nullptr;
    failure = FindLocked(query, stream);
    if (stream) {
      auto attachment = std::make_shared<Attachment>();
      attachment->query = query;
      attachment->cursor = std::move(cursor);
      attachment->waiting = result;
      attachment->due = Due(Clock::now(), stream->interval);
      stream->attachments.push_back(std::move(attachment));
    }
  }
  if (failure) {
    result.error(*failure);
    return;
  }
  wake_.notify_all();
}

void StreamService::Delete(const std::string& query, const std::shared_ptr<AsyncActivation>&,
                           const StreamApi::DeleteMethod::ResultCbType& result) {
  std::list<StreamResult> waiting;
  Failure failure;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Stream* stream = nullptr;
    failure = FindLocked(query, stream);
    if (stream) {
      waiting = TakeWaitingLocked(*stream);
      streams_.erase(query);
    }
  }
  for (const StreamResult& ended : waiting) ended.shutdown();
  Complete(result, failure, ::Jorv::Void());
}

void StreamService::Request(const std::weak_ptr<Attachment>& weak,
                            Jorv::OptionalPtr<StreamResult> next) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto attachment = weak.lock();
    const auto stream = attachment ? streams_.find(attachment->query) : streams_.end();
    if (stream != streams_.end()) {
      auto& attachments = stream->second.attachments;
      const bool attached =
          std::find(attachments.begin(), attachments.end(), attachment) != attachments.end();
      if (attached && !next) {
        attachments.remove(attachment);
        return;
      }
      if (attached && !stopping_) {
        attachment->waiting = *next;
        wake_.notify_all();
        return;
      }
    }
  }
  // The stream or the attachment is gone: there is nothing more to report.
  if (next) next->shutdown();
}

void StreamService::Serve(Delivery& delivery) {
  std::shared_ptr<const Api::Result> sampled;
  const Failure failure = stats_->Execute(delivery.attachment->cursor, sampled);
  if (failure) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto stream = streams_.find(delivery.attachment->query);
      if (stream != streams_.end()) stream->second.attachments.remove(delivery.attachment);
    }
    delivery.result.error(*failure);
    return;
  }
  const std::weak_ptr<StreamService> service = weak_from_this();
  const std::weak_ptr<Attachment> attachment = delivery.attachment;
  delivery.result(sampled, [service, attachment](Jorv::OptionalPtr<StreamResult> next) {
    if (const auto self = service.lock()) {
      self->Request(attachment, std::move(next));
    } else if (next) {
      next->shutdown();
    }
  });
}

void StreamService::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    const Clock::time_point now = Clock::now();
    Clock::time_point nextDue = Clock::time_point::max();
    std::vector<Delivery> due;
    for (auto& entry : streams_) {
      for (const auto& attachment : entry.second.attachments) {
        if (!attachment->waiting) continue;
        if (attachment->due <= now) {
          due.push_back(Delivery{attachment, std::move(*attachment->waiting)});
          attachment->waiting.reset();
          attachment->due = Due(now, entry.second.interval);
        } else if (attachment->due < nextDue) {
          nextDue = attachment->due;
        }
      }
    }
    if (!due.empty()) {
      lock.unlock();
      for (Delivery& delivery : due) Serve(delivery);
      lock.lock();
      continue;
    }
    if (nextDue != Clock::time_point::max()) {
      wake_.wait_until(lock, nextDue);
    } else {
      wake_.wait(lock);
    }
  }
}

}  // namespace StatsDemo
