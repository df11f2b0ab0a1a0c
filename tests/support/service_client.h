#pragma once
// The client's end of a call in tests: result objects of either form that record every call of
// their callback, the single completion a call must produce, and errors summed up in one line.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "framework/core/async_result.h"
#include "framework/core/compound_value.h"

namespace Jorv {
namespace Testing {

// An error as its name followed by each message's identifier and arguments, "not_found
// stats.query.unknown(q-9)"; "none" for a null error.
inline std::string Summary(const std::shared_ptr<const Data::ErrorValue>& error) {
  if (!error) return "none";
  std::string text = error->GetName();
  for (const BaseMessage& message : error->GetMessages()) {
    text += " " + message.id + "(";
    const char* separator = "";
    for (const std::string& arg : message.args) {
      text += separator + arg;
      separator = ", ";
    }
    text += ")";
  }
  return text;
}

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
  // The error of the one call received, which must be a failure with the progress 0, 1, 1.
  std::shared_ptr<const Data::ErrorValue> Error() const {
    EXPECT_EQ(calls.size(), 1u);
    if (calls.size() != 1) return nullptr;
    EXPECT_FALSE(calls[0].output);
    EXPECT_EQ(calls[0].progress, Progress::Completion());
    return calls[0].error;
  }
  // Summary() of the error of the one call received, as Error() expects it.
  std::string ErrorText() const { return Summary(Error()); }

  std::vector<Received<T>> calls;
};

}  // namespace Testing
}  // namespace Jorv
