#pragma once
// Method bodies of ValueToNativeAdapter. Include value_to_native.h instead.

#include <array>
#include <string>
#include <type_traits>

#include "framework/data/detail/field_names.h"
#include "framework/data/value_to_native.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Data {
namespace detail {

inline bool IsString(const DataValuePtr& value) {
  return value && value->GetType() == DataType::STRING;
}
inline const std::string& TextOf(const DataValuePtr& value) {
  return static_cast<const StringValue&>(*value).GetValue();
}
inline void AppendInvalidType(std::list<BaseMessage>& messages) {
  messages.push_back(Message<CoreTag>(MessageIds::kInvalidType));
}
inline void AppendBadCast(const std::string& text, std::list<BaseMessage>& messages) {
  messages.push_back(MakeMessage(
      MessageIds::kBadCast1, Message<CoreTag>::DefaultMessageForId(MessageIds::kBadCast1), text));
}

// The slot of field `name` of `structure`; null, with the message GetField gives appended, when
// it has none.
inline const DataValuePtr* FieldSlot(const CompoundValue& structure, const char* name,
                                     std::list<BaseMessage>& messages) {
  const auto& fields = structure.GetFields();
  const auto found = fields.find(name);
  if (found != fields.end()) return &found->second;
  DataValuePtr ignored;
  structure.GetField(name, ignored, messages);
  return nullptr;
}

// One pass over the fields of a structure and the sorted names of a record's fields: sets
// found[declared[i]] to the slot of the field named names[i] (left null when absent). Returns
// whether the structure has fields the record does not declare. A structure written for the
// same record refers to the same `lasting` name strings, which match without comparing text.
template <std::size_t N>
bool MatchFields(const CompoundValue::Fields& fields, const FieldNames& lasting,
                 const boost::string_view (&names)[N], const std::size_t (&declared)[N],
                 std::array<const DataValuePtr*, N>& found) {
  std::size_t known = 0;
  bool unknown = false;
  for (const auto& field : fields) {
    if (known < N && &field.first == &lasting[known]) {
      found[declared[known++]] = &field.second;
      continue;
    }
    const boost::string_view name(field.first);
    while (known < N && names[known] < name) ++known;
    if (known < N && names[known] == name) {
      found[declared[known]] = &field.second;
      ++known;
    } else {
      unknown = true;
    }
  }
  return unknown;
}

}  // namespace detail

template <class T>
ValueToNativeAdapter::Method ValueToNativeAdapter::AdaptMethod<T>::Get(const T*) {
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
    return &ListBeginMethod<typename Traits::Element, T>;
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
void ValueToNativeAdapter::ValueMethod(const DataValuePtr& source, T* destination, Queue& queue) {
  queue.Push(source, AdaptMethod<T>::Get(), destination);
}

template <class V>
std::shared_ptr<const V> ValueToNativeAdapter::NarrowSrc(const DataValuePtr& source,
                                                         std::list<BaseMessage>& messages) {
  if (source && source->GetType() == V::kType) return std::static_pointer_cast<const V>(source);
  detail::AppendInvalidType(messages);
  return nullptr;
}

template <class T>
std::remove_const_t<T>* ValueToNativeAdapter::InitOptional(OptionalPtr<T>& optional,
                                                           const DataValuePtr& source) {
  auto record = TypeInfo<std::remove_const_t<T>>::defaultInstance(source);
  auto* raw = record.get();
  optional = std::move(record);
  return raw;
}

template <class T>
void ValueToNativeAdapter::StructMethod(const DataValuePtr& source, const NativePtr& destination,
                                        Queue& queue, std::list<BaseMessage>& messages) {
  CompoundHelper<StructValue> helper(source, queue, messages);
  helper.AddFields(static_cast<T*>(destination));
}

template <class T>
void ValueToNativeAdapter::SharedPtrMethod(const DataValuePtr& source, const NativePtr& destination,
                                           Queue& queue, std::list<BaseMessage>&) {
  using Record = std::remove_const_t<T>;
  auto record = TypeInfo<Record>::defaultInstance(source);
  Record* raw = record.get();
  *static_cast<std::shared_ptr<T>*>(destination) = std::move(record);
  ValueMethod(source, raw, queue);
}

template <class T>
void ValueToNativeAdapter::PrimitiveMethod(const DataValuePtr& source, const NativePtr& destination,
                                           Queue& queue, std::list<BaseMessage>& messages) {
  // ToPrimitive parses a string value and reads any other kind as Value does.
  if (!DataValue::ToPrimitive(source, *static_cast<T*>(destination), messages)) queue.Clear();
}

template <class T>
void ValueToNativeAdapter::EnumMethod(const DataValuePtr& source, const NativePtr& destination,
                                      Queue& queue, std::list<BaseMessage>& messages) {
  std::string text;
  if (!DataValue::Value(source, text, messages)) {
    queue.Clear();
    return;
  }
  *static_cast<T*>(destination) = T::FromString(text);
}

template <class E, class List>
void ValueToNativeAdapter::ListBeginMethod(const DataValuePtr& source, const NativePtr& destination,
                                           Queue& queue, std::list<BaseMessage>& messages) {
  List& list = *static_cast<List*>(destination);
  if (detail::IsString(source)) {
    list.clear();
    if (detail::TextOf(source).empty()) return;
    list.emplace_back();
    ValueMethod(source, &list.back(), queue);
    return;
  }
  const auto value = NarrowSrc<ListValue>(source, messages);
  if (!value) {
    queue.Clear();
    return;
  }
  list.clear();
  for (const DataValuePtr& element : value->GetElements()) {
    list.emplace_back();
    ValueMethod(element, &list.back(), queue);
  }
}

template <class T, class Opt>
void ValueToNativeAdapter::OptionalBeginMethod(const DataValuePtr& source,
                                               const NativePtr& destination, Queue& queue,
                                               std::list<BaseMessage>&) {
  Opt& optional = *static_cast<Opt*>(destination);
  const DataValuePtr* content = &source;
  if (detail::IsString(source) && detail::TextOf(source).empty()) {
    optional = Opt();
    return;
  }
  if (source && source->GetType() == DataType::OPTIONAL) {
    const auto& value = static_cast<const OptionalValue&>(*source);
    if (!value.IsSet()) {
      optional = Opt();
      return;
    }
    content = &value.value();
  }
  // Set: a set optional value's content, a non-empty string or any bare value, which the
  // element's own method then judges.
  if constexpr (NativeTraits<Opt>::kind == NativeKind::kOptionalRecord) {
    queue.Push(*content, AdaptMethod<std::remove_const_t<T>>::Get(),
               InitOptional(optional, *content));
  } else {
    optional.emplace();
    ValueMethod(*content, &*optional, queue);
  }
}

template <class Map>
void ValueToNativeAdapter::MapBeginMethod(const DataValuePtr& source, const NativePtr& destination,
                                          Queue& queue, std::list<BaseMessage>& messages) {
  Map& map = *static_cast<Map*>(destination);
  const DataType::EnumType type = source ? source->GetType() : DataType::VOID;
  if (type == DataType::STRING) {
    const std::string& text = detail::TextOf(source);
    if (text.empty()) {
      map.clear();
    } else {
      detail::AppendBadCast(text, messages);
      queue.Clear();
    }
    return;
  }
  if (type == DataType::STRUCTURE || type == DataType::DYNAMIC_STRUCTURE) {
    map.clear();
    for (const auto& field : static_cast<const StructValue&>(*source).GetFields()) {
      ValueMethod(field.second, &map[field.first], queue);
    }
    return;
  }
  if (type != DataType::LIST || !source) {
    detail::AppendInvalidType(messages);
    queue.Clear();
    return;
  }
  map.clear();
  for (const DataValuePtr& element : static_cast<const ListValue&>(*source).GetElements()) {
    if (!element || element->GetType() != DataType::STRUCTURE) {
      detail::AppendInvalidType(messages);
      queue.Clear();
      return;
    }
    const auto& entry = static_cast<const StructValue&>(*element);
    DataValuePtr key;
    const DataValuePtr* value = nullptr;
    std::string keyText;
    if (!entry.GetField("key", key, messages) ||
        !(value = detail::FieldSlot(entry, "value", messages)) ||
        !DataValue::ToPrimitive(key, keyText, messages)) {
      queue.Clear();
      return;
    }
    ValueMethod(*value, &map[keyText], queue);
  }
}

template <class T>
void ValueToNativeAdapter::NullMethod(const DataValuePtr& source, const NativePtr& destination,
                                      Queue&, std::list<BaseMessage>&) {
  static_cast<T*>(destination)->SetValue(source);
}

inline ValueToNativeAdapter::CompoundHelper<StructValue>::CompoundHelper(
    const DataValuePtr& source, Queue& queue, std::list<BaseMessage>& messages)
    : queue_(queue), messages_(messages), count_(messages.size()), source_(source) {
  if (detail::IsString(source)) {
    // An empty text stands for the default record; any other text cannot be one.
    if (!detail::TextOf(source).empty()) detail::AppendBadCast(detail::TextOf(source), messages);
  } else if (source && DataType::IsCompound(source->GetType())) {
    structure_ = static_cast<const CompoundValue*>(source.get());
  } else {
    detail::AppendInvalidType(messages);
  }
}

template <class T>
void ValueToNativeAdapter::CompoundHelper<StructValue>::AddFields(T* record) {
  if (!structure_ || Failed()) return;
  record_ = record;
  constexpr std::size_t count = detail::FieldCount<T>();
  bool unknown = !structure_->GetFields().empty();
  if constexpr (count > 0) {
    using Known = detail::KnownNames<T>;
    std::array<const DataValuePtr*, count> found{};
    unknown = detail::MatchFields(structure_->GetFields(), LastingFieldNames<T>(), Known::value,
                                  Known::declared, found);
    found_ = found.data();
    T::AdapterHelper::AddFields(*this);
    found_ = nullptr;
  }
  if constexpr (std::is_base_of<BaseNative, T>::value) {
    if (Failed() || !unknown) return;
    const auto structure = std::static_pointer_cast<const CompoundValue>(source_);
    if constexpr (count == 0) {
      BaseNative::AdapterHelper::AddUnknownFields(structure, record->unknownFields);
    } else {
      BaseNative::AdapterHelper::AddUnknownFields(detail::KnownNames<T>::value, structure,
                                                  record->unknownFields);
    }
  }
}

template <class R, class M, class... Annotations>
void ValueToNativeAdapter::CompoundHelper<StructValue>::Field(const char* name, M R::*member,
                                                              const Annotations&...) {
  const DataValuePtr* value = found_[next_++];
  if (Failed()) return;
  M* slot = &(static_cast<R*>(record_)->*member);
  if (value) {
    ValueMethod(*value, slot, queue_);
  } else if constexpr (!IsOptionalField<M>()) {
    // A missing required field is reported as GetField reports it; a missing optional one is
    // no error and leaves the member unset.
    DataValuePtr ignored;
    structure_->GetField(name, ignored, messages_);
  }
}

}  // namespace Data
}  // namespace Jorv
