#pragma once
// Method bodies of NativeToValueAdapter. Include native_to_value.h instead.

#include <type_traits>

#include "framework/core/message_catalog.h"
#include "framework/data/native_to_value.h"

namespace Jorv {
namespace Data {

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
  auto value = StructValue::GetInstance(TypeInfo<T>::name());
  *destination = value;
  CompoundHelper<StructValue>(std::move(value), queue).AddFields(static_cast<const T*>(source));
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
  auto value = OptionalValue::GetInstance();
  DataValuePtr* inner = nullptr;
  const Opt& optional = *static_cast<const Opt*>(source);
  if (optional) inner = value->value(nullptr);
  *destination = std::move(value);
  if (inner) queue.Push(&*optional, AdaptMethod<std::remove_const_t<T>>::Get(), inner);
}

template <class Map>
void NativeToValueAdapter::MapBeginMethod(const NativeConstPtr& source,
                                          DataValuePtr* const& destination, Deque& queue,
                                          std::list<BaseMessage>&) {
  auto value = ListValue::GetInstance(3);
  *destination = value;
  const Method method = &PrimitiveMethod<std::string>;
  for (const auto& entry : *static_cast<const Map*>(source)) {
    auto structure = StructValue::GetInstance("map-entry");
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
  T::AdapterHelper::AddFields(*this);
  if constexpr (std::is_base_of<BaseNative, T>::value) {
    BaseNative::AdapterHelper::AddUnknownFields(*record, value_);
  }
}

template <class R, class M, class... Annotations>
void NativeToValueAdapter::CompoundHelper<StructValue>::Field(const char* name, M R::*member,
                                                              const Annotations&...) {
  const M& field = static_cast<const R*>(record_)->*member;
  queue_.Push(&field, AdaptMethod<M>::Get(), value_->CreateSlot(name));
}

}  // namespace Data
}  // namespace Jorv
