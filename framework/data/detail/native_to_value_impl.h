#pragma once
// Method bodies of NativeToValueAdapter. Include native_to_value.h instead.

#include <array>
#include <string>
#include <type_traits>

#include "framework/data/detail/field_names.h"
#include "framework/data/native_to_value.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Data {
namespace detail {

// Values never change once shared, so every unset optional written is this one value. It is
// never destroyed, so the pointer owns nothing and copying it counts no references.
inline const DataValuePtr& UnsetOptionalValue() {
  static const OptionalValue* const value = new OptionalValue();
  static const DataValuePtr unset(DataValuePtr(), value);
  return unset;
}

// Integers from -128 to 255, such as handles, counts and small codes, are written as one shared
// value each, made once and never destroyed, so that they cost no value of their own; null for
// other integers.
inline const DataValuePtr* SharedSmallInteger(long long value) {
  constexpr long long kLowest = -128;
  constexpr long long kHighest = 255;
  if (value < kLowest || value > kHighest) return nullptr;
  static const DataValuePtr* const table = [] {
    auto* values = new DataValuePtr[kHighest - kLowest + 1];
    for (long long i = kLowest; i <= kHighest; ++i) {
      values[i - kLowest] = DataValuePtr(DataValuePtr(), new IntegerValue(i));
    }
    return values;
  }();
  return &table[value - kLowest];
}

// The names of a string map's entries, made once and never destroyed.
struct MapEntryNames {
  CompoundValue::SharedName name;
  const std::string& key;
  const std::string& value;
};
inline const MapEntryNames& MapEntry() {
  static const MapEntryNames names{
      CompoundValue::SharedName(CompoundValue::SharedName(), new std::string("map-entry")),
      *new std::string("key"), *new std::string("value")};
  return names;
}

// Whether values of native type T are written where they are met instead of through the
// queue: primitives, enumerations and optionals of them hold no native object to queue, and
// writing them cannot fail, so the order of the queue has nothing to decide for them.
template <class T>
constexpr bool WritesInPlace() {
  constexpr NativeKind kind = NativeTraits<T>::kind;
  if constexpr (kind == NativeKind::kPrimitive || kind == NativeKind::kEnumeration) {
    return true;
  } else if constexpr (kind == NativeKind::kOptional) {
    return WritesInPlace<typename NativeTraits<T>::Element>();
  } else {
    return false;
  }
}

}  // namespace detail

template <class T>
void NativeToValueAdapter::WriteInPlace(const T& native, DataValuePtr* destination, Deque& queue) {
  constexpr NativeKind kind = NativeTraits<T>::kind;
  if constexpr (std::is_same<T, long long>::value) {
    const DataValuePtr* shared = detail::SharedSmallInteger(native);
    *destination = shared != nullptr ? *shared : DataValue::Create<T>(native, &queue.arena);
  } else if constexpr (kind == NativeKind::kPrimitive) {
    *destination = DataValue::Create<T>(native, &queue.arena);
  } else if constexpr (kind == NativeKind::kEnumeration) {
    *destination = StringValue::GetInstance(native.ToString(), &queue.arena);
  } else {
    static_assert(kind == NativeKind::kOptional && detail::WritesInPlace<T>());
    if (!native) {
      *destination = detail::UnsetOptionalValue();
      return;
    }
    auto value = OptionalValue::GetInstance(&queue.arena);
    WriteInPlace(*native, value->value(nullptr), queue);
    *destination = std::move(value);
  }
}

template <class T>
NativeToValueAdapter::Method NativeToValueAdapter::AdaptMethod<T>::Get(const T*) {
  using Traits = NativeTraits<T>;
  constexpr NativeKind kind = Traits::kind;
  if constexpr (kind == NativeKind::kPrimitive) {
    return &PrimitiveMethod<T>;
  } else if constexpr (kind == NativeKind::kEnumeration) {
    return &EnumMethod<T>;
  } else if constexpr (kind == NativeKind::kRecord) {
    return &StructMethod<T>;
  } else if constexpr (kind == NativeKind::kSharedRecord) {
    return &SharedPtrMethod<const typename Traits::Element>;
  } else if constexpr (kind == NativeKind::kList) {
    return &ListBeginMethod<typename Traits::Element, T, 1>;
  } else if constexpr (kind == NativeKind::kOptional) {
    return &OptionalBeginMethod<typename Traits::Element, T>;
  } else if constexpr (kind == NativeKind::kOptionalRecord) {
    return &OptionalBeginMethod<const typename Traits::Element, T>;
  } else if constexpr (kind == NativeKind::kStringMap) {
    return &MapBeginMethod<T>;
  } else {
    static_assert(kind == NativeKind::kOpaque);
    return &NullMethod<T>;
  }
}

template <class T>
void NativeToValueAdapter::PrimitiveMethod(const NativeConstPtr& source,
                                           DataValuePtr* const& destination, Deque& queue,
                                           std::list<BaseMessage>&) {
  WriteInPlace(*static_cast<const T*>(source), destination, queue);
}

template <class T>
void NativeToValueAdapter::EnumMethod(const NativeConstPtr& source,
                                      DataValuePtr* const& destination, Deque& queue,
                                      std::list<BaseMessage>&) {
  WriteInPlace(*static_cast<const T*>(source), destination, queue);
}

template <class T>
void NativeToValueAdapter::StructMethod(const NativeConstPtr& source,
                                        DataValuePtr* const& destination, Deque& queue,
                                        std::list<BaseMessage>&) {
  const T* record = static_cast<const T*>(source);
  std::size_t fieldCount = detail::FieldCount<T>();
  if constexpr (std::is_base_of<BaseNative, T>::value) {
    if (record->unknownFields) fieldCount += record->unknownFields->GetFields().size();
  }
  auto value = StructValue::GetInstance(SharedTypeName<T>(), fieldCount, &queue.arena);
  CompoundHelper<StructValue>(value, queue).AddFields(record);
  *destination = std::move(value);
}

template <class T>
void NativeToValueAdapter::SharedPtrMethod(const NativeConstPtr& source,
                                           DataValuePtr* const& destination, Deque& queue,
                                           std::list<BaseMessage>& messages) {
  using Record = std::remove_const_t<T>;
  const auto& pointer = *static_cast<const std::shared_ptr<T>*>(source);
  if (!pointer) {
    messages.push_back(
        Message<CoreTag>(MessageIds::kUnsetNonOptionalField, TypeInfo<Record>::name()));
    queue.Clear();
    return;
  }
  queue.Push(pointer.get(), AdaptMethod<Record>::Get(), destination);
}

template <class E, class List, int Kind>
void NativeToValueAdapter::ListBeginMethod(const NativeConstPtr& source,
                                           DataValuePtr* const& destination, Deque& queue,
                                           std::list<BaseMessage>&) {
  const List& list = *static_cast<const List*>(source);
  auto value = ListValue::GetInstance(Kind, list.size(), &queue.arena);
  if constexpr (detail::WritesInPlace<E>()) {
    for (const E& element : list) WriteInPlace(element, value->AppendSlot(), queue);
  } else {
    const Method method = AdaptMethod<E>::Get();
    for (const E& element : list) queue.Push(&element, method, value->AppendSlot());
  }
  *destination = std::move(value);
}

template <class T, class Opt>
void NativeToValueAdapter::OptionalBeginMethod(const NativeConstPtr& source,
                                               DataValuePtr* const& destination, Deque& queue,
                                               std::list<BaseMessage>&) {
  const Opt& optional = *static_cast<const Opt*>(source);
  if constexpr (detail::WritesInPlace<Opt>()) {
    WriteInPlace(optional, destination, queue);
    return;
  }
  if (!optional) {
    *destination = detail::UnsetOptionalValue();
    return;
  }
  auto value = OptionalValue::GetInstance(&queue.arena);
  DataValuePtr* inner = value->value(nullptr);
  *destination = std::move(value);
  queue.Push(&*optional, AdaptMethod<std::remove_const_t<T>>::Get(), inner);
}

template <class Map>
void NativeToValueAdapter::MapBeginMethod(const NativeConstPtr& source,
                                          DataValuePtr* const& destination, Deque& queue,
                                          std::list<BaseMessage>&) {
  const Map& map = *static_cast<const Map*>(source);
  auto value = ListValue::GetInstance(3, map.size(), &queue.arena);
  *destination = value;
  const detail::MapEntryNames& names = detail::MapEntry();
  for (const auto& entry : map) {
    auto structure = StructValue::GetInstance(names.name, 2, &queue.arena);
    WriteInPlace(entry.first, structure->CreateSlot(LastingName{names.key}), queue);
    WriteInPlace(entry.second, structure->CreateSlot(LastingName{names.value}), queue);
    value->Append(std::move(structure));
  }
}

template <class T>
void NativeToValueAdapter::NullMethod(const NativeConstPtr& source,
                                      DataValuePtr* const& destination, Deque& queue,
                                      std::list<BaseMessage>& messages) {
  const DataValuePtr& held = static_cast<const T*>(source)->GetValue();
  if (!held) {
    messages.push_back(Message<CoreTag>(MessageIds::kUnsetField, "Opaque"));
    queue.Clear();
    return;
  }
  *destination = held;
}

template <class T>
void NativeToValueAdapter::CompoundHelper<StructValue>::AddFields(const T* record) {
  record_ = record;
  constexpr std::size_t count = detail::FieldCount<T>();
  if constexpr (count > 0) {
    // The slots are made at once in name order; the fields are visited in declaration order.
    using Known = detail::KnownNames<T>;
    std::array<DataValuePtr*, count> sorted{};
    value_->CreateSlots(LastingFieldNames<T>(), sorted.data());
    std::array<DataValuePtr*, count> slots{};
    for (std::size_t i = 0; i < count; ++i) slots[Known::declared[i]] = sorted[i];
    slots_ = slots.data();
    T::AdapterHelper::AddFields(*this);
    slots_ = nullptr;
  }
  if constexpr (std::is_base_of<BaseNative, T>::value) {
    BaseNative::AdapterHelper::AddUnknownFields(*record, value_);
  }
}

template <class R, class M, class... Annotations>
void NativeToValueAdapter::CompoundHelper<StructValue>::Field(const char*, M R::*member,
                                                              const Annotations&...) {
  const M& field = static_cast<const R*>(record_)->*member;
  if constexpr (detail::WritesInPlace<M>()) {
    WriteInPlace(field, slots_[next_++], queue_);
  } else {
    queue_.Push(&field, AdaptMethod<M>::Get(), slots_[next_++]);
  }
}

}  // namespace Data
}  // namespace Jorv
