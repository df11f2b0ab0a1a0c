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

// Values never change once shared, so every unset optional written is this one value.
inline const DataValuePtr& UnsetOptionalValue() {
  static const DataValuePtr unset = std::make_shared<const OptionalValue>();
  return unset;
}

inline const CompoundValue::SharedName& MapEntryName() {
  static const CompoundValue::SharedName name = std::make_shared<const std::string>("map-entry");
  return name;
}

}  // namespace detail

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
                                           DataValuePtr* const& destination, Deque&,
                                           std::list<BaseMessage>&) {
  *destination = DataValue::Create<T>(*static_cast<const T*>(source));
}

template <class T>
void NativeToValueAdapter::EnumMethod(const NativeConstPtr& source,
                                      DataValuePtr* const& destination, Deque&,
                                      std::list<BaseMessage>&) {
  *destination = StringValue::GetInstance(static_cast<const T*>(source)->ToString());
}

template <class T>
void NativeToValueAdapter::StructMethod(const NativeConstPtr& source,
                                        DataValuePtr* const& destination, Deque& queue,
                                        std::list<BaseMessage>&) {
  auto value = StructValue::GetInstance(SharedTypeName<T>());
  CompoundHelper<StructValue>(value, queue).AddFields(static_cast<const T*>(source));
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
  auto value = ListValue::GetInstance(Kind);
  const Method method = AdaptMethod<E>::Get();
  for (const E& element : *static_cast<const List*>(source)) {
    queue.Push(&element, method, value->AppendSlot());
  }
  *destination = std::move(value);
}

template <class T, class Opt>
void NativeToValueAdapter::OptionalBeginMethod(const NativeConstPtr& source,
                                               DataValuePtr* const& destination, Deque& queue,
                                               std::list<BaseMessage>&) {
  const Opt& optional = *static_cast<const Opt*>(source);
  if (!optional) {
    *destination = detail::UnsetOptionalValue();
    return;
  }
  auto value = OptionalValue::GetInstance();
  DataValuePtr* inner = value->value(nullptr);
  *destination = std::move(value);
  queue.Push(&*optional, AdaptMethod<std::remove_const_t<T>>::Get(), inner);
}

template <class Map>
void NativeToValueAdapter::MapBeginMethod(const NativeConstPtr& source,
                                          DataValuePtr* const& destination, Deque& queue,
                                          std::list<BaseMessage>&) {
  auto value = ListValue::GetInstance(3);
  *destination = value;
  const Method method = &PrimitiveMethod<std::string>;
  for (const auto& entry : *static_cast<const Map*>(source)) {
    auto structure = StructValue::GetInstance(detail::MapEntryName());
    queue.Push(&entry.first, method, structure->CreateSlot("key"));
    queue.Push(&entry.second, method, structure->CreateSlot("value"));
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
    // The slots are made in name order, which appends each to the field map without a search.
    using Known = detail::KnownNames<T>;
    std::array<DataValuePtr*, count> slots{};
    for (std::size_t i = 0; i < count; ++i) {
      slots[Known::declared[i]] =
          value_->CreateSlot(std::string(Known::value[i].data(), Known::value[i].size()));
    }
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
  queue_.Push(&field, AdaptMethod<M>::Get(), slots_[next_++]);
}

}  // namespace Data
}  // namespace Jorv
