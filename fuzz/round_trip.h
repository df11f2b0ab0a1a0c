#pragma once
// The properties the harnesses check for one native type T and one received value:
//   - reading never throws and reports a failure as exactly one message;
//   - a value that validates against T's definition always reads;
//   - what was read writes (unless an empty string stood for a record: the default record has
//     null required members), the written value validates, reads again and writes back equal;
//   - a value built in the writer's own encoding comes back unchanged, unknown fields included.
// A broken property prints what broke and aborts, which the fuzzer reports as a crash.

#include <cstdio>
#include <cstdlib>
#include <list>
#include <string>
#include <vector>

#include "framework/core/localization.h"
#include "framework/core/validation.h"
#include "framework/core/value_ops.h"
#include "framework/data/native_to_definition.h"
#include "framework/data/native_to_value.h"
#include "framework/data/value_to_native.h"
#include "framework/text/message.h"
#include "framework/text/message_catalog.h"
#include "fuzz/targets.h"
#include "fuzz/value_builder.h"

namespace Jorv {
namespace Fuzz {

// Prints `what`, the value concerned and the messages to stderr, then aborts.
[[noreturn]] inline void Violation(const char* what, const Data::DataValuePtr& value,
                                   const std::list<BaseMessage>& messages) {
  std::string text = Data::ToText(value);
  if (text.size() > 4000) text = text.substr(0, 4000) + "...";
  std::fprintf(stderr, "property violated: %s\n  value: %s\n", what, text.c_str());
  for (const BaseMessage& message : messages) {
    std::fprintf(stderr, "  message %s: %s\n", message.GetId().c_str(),
                 message.GetDefaultMessage().c_str());
  }
  std::abort();
}

// The definition of T, derived once.
template <class T>
const Data::DataDefinitionPtr& DefinitionOf() {
  static const Data::DataDefinitionPtr definition = [] {
    Data::DataDefinitionPtr built;
    Data::NativeToDefinitionAdapter::Adapt(Data::NativeToDefinitionAdapter::AdaptMethod<T>::Get(),
                                           &built, {});
    return built;
  }();
  return definition;
}

// The words worth trying for T: every enumeration literal of the bindings and the names in T's
// definition.
template <class T>
const std::vector<std::string>& WordsOf() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> built;
    ForEachType(Targets::Enumerations(), [&](auto tag) {
      for (auto literal = decltype(tag)::Type::Strings::values; *literal; ++literal) {
        built.emplace_back(*literal);
      }
    });
    AddWords(DefinitionOf<T>(), built);
    return built;
  }();
  return words;
}

// Reads `value` into `native` with the value reader, `messages` empty on entry; aborts unless a
// success left no message and a failure exactly one.
template <class T>
bool Read(const Data::DataValuePtr& value, T& native, std::list<BaseMessage>& messages) {
  const bool read = Data::ValueToNativeAdapter::Adapt(
      value, Data::ValueToNativeAdapter::AdaptMethod<T>::Get(), &native, messages);
  if (messages.size() != (read ? 0u : 1u)) {
    Violation("a read reported other than one message per failure", value, messages);
  }
  return read;
}

// Writes `native` with the value writer; returns what the writer returns.
template <class T>
bool Write(const T& native, Data::DataValuePtr& value, std::list<BaseMessage>& messages) {
  return Data::NativeToValueAdapter::Adapt(
      &native, Data::NativeToValueAdapter::AdaptMethod<T>::Get(&native), &value, messages,
      L10n::RequestLocalizerHelper::GetDefaultRequestLocalizer());
}

// Builds a value for T from `source`, steered by `definition` (T's own, or the one a method
// descriptor derives for T), and checks every property on it.
template <class T>
void CheckRoundTrip(ByteSource& source, const Data::DataDefinitionPtr& definition) {
  const Built built = BuildValue(source, WordsOf<T>(), definition);
  const Data::DataValuePtr& input = built.value;

  const auto failure = Data::Validate(definition, input);
  T native{};
  std::list<BaseMessage> messages;
  const bool read = Read(input, native, messages);
  if (!failure && !read) Violation("a value that validates did not read", input, messages);
  if (!read) return;

  Data::DataValuePtr written;
  if (!Write(native, written, messages)) {
    if (messages.front().GetId() == MessageIds::kUnsetNonOptionalField && built.hasEmptyText) {
      return;
    }
    Violation("a record that read did not write", input, messages);
  }
  if (const auto rejected = Data::Validate(definition, written)) {
    Violation(("a written value does not validate at '" + rejected->path + "'").c_str(), written,
              {rejected->message});
  }
  T again{};
  if (!Read(written, again, messages)) Violation("a written value did not read", written, messages);
  Data::DataValuePtr rewritten;
  if (!Write(again, rewritten, messages)) {
    Violation("a record read from a written value did not write", written, messages);
  }
  if (!SameValue(written, rewritten)) {
    Violation("writing what was read from a written value changed it", rewritten,
              {BaseMessage("written", Data::ToText(written), {})});
  }
  if (built.canonical && !SameValue(input, written)) {
    Violation("a value in the writer's encoding did not come back unchanged", written,
              {BaseMessage("input", Data::ToText(input), {})});
  }
}

}  // namespace Fuzz
}  // namespace Jorv
