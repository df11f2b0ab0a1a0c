#include "fuzz/round_trip.h"

#include <cstdio>
#include <cstdlib>

namespace Jorv {
namespace Fuzz {

void Violation(const char* what, const Data::DataValuePtr& value,
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

bool ContainsEmptyText(const Data::DataValuePtr& value) {
  std::vector<const Data::DataValue*> pending{value.get()};
  while (!pending.empty()) {
    const Data::DataValue* current = pending.back();
    pending.pop_back();
    if (current == nullptr) continue;
    const auto type = current->GetType();
    if (type == Data::DataType::STRING &&
        static_cast<const Data::StringValue&>(*current).GetValue().empty()) {
      return true;
    }
    if (type == Data::DataType::STRUCTURE || type == Data::DataType::DYNAMIC_STRUCTURE ||
        type == Data::DataType::ERROR) {
      for (const auto& field : static_cast<const Data::CompoundValue&>(*current).GetFields()) {
        pending.push_back(field.second.get());
      }
    } else if (type == Data::DataType::LIST) {
      for (const auto& element : static_cast<const Data::ListValue&>(*current).GetElements()) {
        pending.push_back(element.get());
      }
    } else if (type == Data::DataType::OPTIONAL) {
      pending.push_back(static_cast<const Data::OptionalValue&>(*current).value().get());
    }
  }
  return false;
}

const std::vector<std::string>& EnumerationWords() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> built;
    ForEachType(Targets::Enumerations(), [&](auto tag) {
      using Enumeration = typename decltype(tag)::Type;
      for (const char* const* literal = Enumeration::Strings::values; *literal != nullptr;
           ++literal) {
        built.emplace_back(*literal);
      }
    });
    return built;
  }();
  return words;
}

}  // namespace Fuzz
}  // namespace Jorv
