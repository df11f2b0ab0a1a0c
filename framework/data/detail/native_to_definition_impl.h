#pragma once
// Method bodies of NativeToDefinitionAdapter. Include native_to_definition.h instead.

#include <type_traits>

#include "framework/data/native_to_definition.h"

namespace Jorv {
namespace Data {

template <class T>
NativeToDefinitionAdapter::Method NativeToDefinitionAdapter::AdaptMethod<T>::Get() {
  using Traits = NativeTraits<T>;
  constexpr NativeKind kind = Traits::kind;
  if constexpr (kind == NativeKind::kPrimitive) {
    return &PrimitiveMethod<T>;
  } else if constexpr (kind == NativeKind::kEnumeration) {
    return &PrimitiveMethod<std::string>;
  } else if constexpr (kind == NativeKind::kRecord) {
    return &StructBeginMethod<T>;
  } else if constexpr (kind == NativeKind::kSharedRecord) {
    return &StructBeginMethod<typename Traits::Element>;
  } else if constexpr (kind == NativeKind::kList) {
    return &CompositeBeginMethod<typename Traits::Element, ListEnd>;
  } else if constexpr (kind == NativeKind::kOptional || kind == NativeKind::kOptionalRecord) {
    return &CompositeBeginMethod<typename Traits::Element, OptionalEnd>;
  } else if constexpr (kind == NativeKind::kStringMap) {
    return &MapBeginMethod;
  } else {
    static_assert(kind == NativeKind::kOpaque);
    return &PrimitiveMethod<Opaque>;
  }
}

template <class T>
void NativeToDefinitionAdapter::PrimitiveMethod(const SrcType&,
                                                DataDefinitionPtr* const& destination, Queue&,
                                                const std::list<BaseMessage>&) {
  *destination = DataDefinition::Create<T>();
}

template <class T>
void NativeToDefinitionAdapter::StructBeginMethod(const SrcType&,
                                                  DataDefinitionPtr* const& destination,
                                                  Queue& queue, const std::list<BaseMessage>&) {
  const void* const key = TypeKey<T>();
  const boost::optional<DataDefinitionPtr> known = queue.GetDef(key);
  if (!known) {
    // Mark the type as being defined, then define its fields before assembling it.
    queue.SetDef(key, nullptr);
    CompoundHelper<StructDefinition> helper(queue);
    helper.Start<StructEnd>(TypeInfo<T>::name(), key, destination);
    helper.AddFields<T>();
  } else if (*known) {
    *destination = *known;
  } else {
    // T contains itself: refer to the enclosing definition, resolved once it is built.
    auto reference = StructRefDefinition::GetInstance(TypeInfo<T>::name());
    *destination = reference;
    SrcType source;
    source.reference = std::move(reference);
    source.typeKey = key;
    queue.PushFront(std::move(source), &ResolveMethod, nullptr);
  }
}

template <class E, class End>
void NativeToDefinitionAdapter::CompositeBeginMethod(const SrcType&,
                                                     DataDefinitionPtr* const& destination,
                                                     Queue& queue, const std::list<BaseMessage>&) {
  SrcType end;
  end.elementHolder = std::make_shared<DataDefinitionPtr>();
  DataDefinitionPtr* const element = end.elementHolder.get();
  queue.Push(std::move(end),
             std::is_same<End, ListEnd>::value ? &ListEndMethod : &OptionalEndMethod, destination);
  queue.Push(SrcType(), AdaptMethod<E>::Get(), element);
}

template <class End>
void NativeToDefinitionAdapter::CompoundHelper<StructDefinition>::Start(
    const std::string& name, const void* const& key, DataDefinitionPtr* const& destination) {
  static_assert(std::is_same<End, StructEnd>::value, "records end in a structure definition");
  SrcType end;
  end.fields = fields_;
  end.name = name;
  end.typeKey = key;
  queue_.Push(std::move(end), &StructEndMethod, destination);
}

template <class T>
void NativeToDefinitionAdapter::CompoundHelper<StructDefinition>::AddFields() {
  T::AdapterHelper::AddFields(*this);
}

template <class R, class M, class... Annotations>
void NativeToDefinitionAdapter::CompoundHelper<StructDefinition>::Field(const char* name, M R::*,
                                                                        const Annotations&...) {
  queue_.Push(SrcType(), AdaptMethod<M>::Get(), &(*fields_)[name]);
}

}  // namespace Data
}  // namespace Jorv
