#pragma once
// Localizable messages: how every failure of a conversion or a call is reported. A message is
// an identifier, its English default text with the arguments filled in, and the arguments
// themselves, so that a client can render it again in another language.

#include <list>
#include <string>
#include <type_traits>
#include <utility>

#include "framework/text/format.h"

namespace Jorv {

// One message: identifier, formatted default text, arguments rendered to text. A plain value
// whose three members are public, in this order.
class BaseMessage {
 public:
  BaseMessage() = default;
  BaseMessage(const std::string& id, const std::string& defaultMessage,
              const std::list<std::string>& args)
      : id(id), defaultMessage(defaultMessage), args(args) {}

  const std::string& GetId() const { return id; }
  const std::string& GetDefaultMessage() const { return defaultMessage; }
  const std::list<std::string>& GetArgs() const { return args; }

  friend bool operator==(const BaseMessage& a, const BaseMessage& b) {
    return a.id == b.id && a.defaultMessage == b.defaultMessage && a.args == b.args;
  }
  friend bool operator!=(const BaseMessage& a, const BaseMessage& b) { return !(a == b); }

  // The message identifier, lower-case and dot-separated ("jorv.data.bad.cast1").
  std::string id;
  // The default English text with every placeholder filled in.
  std::string defaultMessage;
  // Each argument rendered to text, in argument order.
  std::list<std::string> args;
};

// Builds a message: `id` copied, the default text `defaultTemplate` formatted with `args`
// (brace placeholders, see format.h), and each argument formatted alone with "{1}". Never
// throws for a bad template: a placeholder past the last argument only ends the text early.
// Args may be spelled out as std::string, const std::string& or std::string&.
template <class... Args>
BaseMessage MakeMessage(const std::string& id, const std::string& defaultTemplate, Args... args) {
  static_assert((std::is_same<std::decay_t<Args>, std::string>::value && ...),
                "message arguments are strings");
  const std::string* argv[] = {&args..., nullptr};
  std::list<std::string> rendered;
  for (std::size_t i = 0; i < sizeof...(Args); ++i) {
    rendered.push_back(Detail::FormatTemplate("{1}", argv + i, 1));
  }
  return BaseMessage(id, Detail::FormatTemplate(defaultTemplate, argv, sizeof...(Args)), rendered);
}

// Tag of the framework's own message catalog.
struct CoreTag {};

template <class Tag>
class Message;

// A message of the framework's catalog, whose default text comes from DefaultMessageForId.
template <>
class Message<CoreTag> : public BaseMessage {
 public:
  // A message without arguments; the catalog text is copied unchanged, placeholders included.
  explicit Message(const std::string& id) : BaseMessage(id, DefaultMessageForId(id), {}) {}

  // A message with one argument: MakeMessage(id, DefaultMessageForId(id), argument). The
  // argument may be a temporary or a named string; both have the same effect.
  Message(const std::string& id, std::string&& argument)
      : BaseMessage(MakeMessage<const std::string&>(id, DefaultMessageForId(id), argument)) {}
  Message(const std::string& id, const std::string& argument)
      : BaseMessage(MakeMessage<const std::string&>(id, DefaultMessageForId(id), argument)) {}

  // The catalog's default English text for `id`, with {1}-style placeholders where arguments
  // belong. An identifier the catalog does not know gets a generic text naming it.
  static std::string DefaultMessageForId(const std::string& id);
};

}  // namespace Jorv
