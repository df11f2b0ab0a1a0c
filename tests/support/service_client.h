#pragma once
// The client's end of a service call in tests: result objects of either form that record every
// call of their callback, and checks of the single completion a call must produce.

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "framework/core/async_result.h"
#include "framework/core/compound_value.h"
#include "framework/core/native_error.h"
#include "framework/core/progress.h"

namespace Jorv {
namespace Testing {

// What a result object received in one call of its callback.
template <class T>
struct Received {
  bool longForm = false;
  boost::optional<T> output;
  std::shared_ptr<const Data::ErrorValue> error;
  boost::optional<Data::NativeError> nativeError;
  Progress progress;
};

// Hands out result objects that record into `calls`; it must outlive every call it serves.
template <class T>
class Client {
 public:
  // A result object with the short form set.
  AsyncResult<T> Result() {
    return AsyncResult<T>([this](const boost::optional<T>& output,
                                 const std::shared_ptr<const Data::ErrorValue>& error,
                                 const Progress& progress) {
      calls.push_back({false, output, error, boost::none, progress});
    });
  }
  // A result object with only the long form set.
  AsyncResult<T> LongResult() {
    return AsyncResult<T>::FromLongForm([this](const boost::optional<T>& output,
                                               const std::shared_ptr<const Data::ErrorValue>& error,
                                               const boost::optional<Data::NativeError>& native,
                                               const Progress& progress) {
      calls.push_back({true, output, error, native, progress});
    });
  }

  // The output of the one call received, which must be a success with the progress 0, 1, 1.
  T Output() const {
    EXPECT_EQ(calls.size(), 1u);
    if (calls.size() != 1) return T{};
    EXPECT_EQ(calls[0].error, nullptr);
    EXPECT_EQ(calls[0].progress, Progress::Completion());
    EXPECT_TRUE(calls[0].output);
    return calls[0].output ? *calls[0].output : T{};
  }
  // The error of the one call received, which must be a failure with the progress 0, 1, 1.
  std::shared_ptr<const Data::ErrorValue> Error() const {
    EXPECT_EQ(calls.size(), 1u);
    if (calls.size() != 1) return nullptr;
    EXPECT_FALSE(calls[0].output);
    EXPECT_EQ(calls[0].progress, Progress::Completion());
    EXPECT_TRUE(calls[0].error);
    return calls[0].error;
  }

  std::vector<Received<T>> calls;
};

struct ExpectedMessage {
  std::string id;
  std::list<std::string> args;
};

// Expects `error` to be named `name` and to carry exactly `messages`, in order.
inline void ExpectError(const std::shared_ptr<const Data::ErrorValue>& error,
                        const std::string& name, const std::vector<ExpectedMessage>& messages) {
  ASSERT_TRUE(error);
  EXPECT_EQ(error->GetName(), name);
  const std::list<BaseMessage> got = error->GetMessages();
  ASSERT_EQ(got.size(), messages.size());
  auto message = got.begin();
  for (const ExpectedMessage& expected : messages) {
    EXPECT_EQ(message->GetId(), expected.id);
    EXPECT_EQ(message->GetArgs(), expected.args);
    ++message;
  }
}

}  // namespace Testing
}  // namespace Jorv
