// Fuzz harness: arbitrary value trees, null slots and chains tens of thousands deep included,
// through validation, reading, equality and printing. The same bytes build the tree twice, so
// the two copies must compare equal and print alike.

#include <cstddef>
#include <cstdint>
#include <list>

#include "fuzz/round_trip.h"

namespace {

using namespace Jorv::Fuzz;
using Jorv::Data::DataValuePtr;

template <class T>
void CheckValue(const std::uint8_t* data, std::size_t size) {
  const BuildOptions options{true, 24, true};
  ByteSource first(data, size);
  const Built built = BuildValue(first, WordsOf<T>(), DefinitionOf<T>(), options);
  const DataValuePtr& value = built.value;
  ByteSource second(data, size);
  const DataValuePtr copy = BuildValue(second, WordsOf<T>(), DefinitionOf<T>(), options).value;

  if (Jorv::Data::ToText(value) != Jorv::Data::ToText(copy))
    Violation("copies print differently", value, {});
  if (!Jorv::Data::Equals(value, value)) Violation("a value differs from itself", value, {});
  // Both trees shared twice over, in crossed order: the comparison meets shared pairs again.
  const auto pair = [](const DataValuePtr& a, const DataValuePtr& b) {
    auto list = Jorv::Data::ListValue::GetInstance(1);
    list->Append(a);
    list->Append(b);
    list->Append(a);
    return list;
  };
  if (!built.hasNaN && (!Jorv::Data::Equals(value, copy) ||
                        !Jorv::Data::Equals(pair(value, copy), pair(copy, value)))) {
    Violation("equal trees compare different", value, {});
  }
  if (value && value->GetType() == Jorv::Data::DataType::ERROR) {
    static_cast<const Jorv::Data::ErrorValue&>(*value).GetMessages();
  }

  const auto failure = Jorv::Data::Validate(DefinitionOf<T>(), value);
  if (failure && failure->message.GetId().empty())
    Violation("a failure without message", value, {});
  T native{};
  std::list<Jorv::BaseMessage> messages;
  DataValuePtr written;
  if (Read(value, native, messages)) Write(native, written, messages);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  VisitType(Targets::Records(), data[0] % Targets::Records::size,
            [&](auto tag) { CheckValue<typename decltype(tag)::Type>(data + 1, size - 1); });
  return 0;
}
