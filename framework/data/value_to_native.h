#pragma once
// Jorv::Data::ValueToNativeAdapter: reads data values received from peers back into native
// records. It is where received data is judged: missing required fields, values of the wrong
// kind and texts where structures are expected become messages, and fields a record does not
// declare are kept in its unknownFields. Iterative, like the writer: each queued step fills one
// native slot that already exists.
//
//   Record record;
//   std::list<Jorv::BaseMessage> messages;
//   bool ok = ValueToNativeAdapter::Adapt(value, ValueToNativeAdapter::AdaptMethod<Record>::Get(),
//                                         &record, messages);
//
// Besides the writer's encoding it reads: an empty string as a default record, an empty list, an
// unset optional or an empty map; one non-empty string as a one-element list; a bare value as a
// set optional; a string map as a structure whose fields are the entries; and a numeric or
// date-time text where a number or date-time is expected.

#include <list>
#include <memory>

#include "framework/core/compound_value.h"
#include "framework/data/native.h"
#include "framework/data/native_kind.h"
#include "framework/data/work_queue.h"
#include "framework/text/message.h"

namespace Jorv {
namespace Data {
namespace V2N_internal {
class StackMapCnt;
}

class ValueToNativeAdapter {
 public:
  using Queue = V2N_internal::StackMapCnt;
  // A conversion step: reads `source` into the native object at `destination`, possibly
  // queueing further steps. On failure it appends a message and clears the queue.
  using Method = void (*)(const DataValuePtr& source, const NativePtr& destination, Queue& queue,
                          std::list<BaseMessage>& messages);
  // The source of an entry is the slot in the source tree that holds the value to read: the
  // tree is held by the caller of Adapt and never changes, so its slots outlive the conversion.
  using Entry = BasicAdaptEntry<const DataValuePtr*, Method, NativePtr>;

  // Reads `source` into the default-constructed native object at `destination` with `method`
  // (AdaptMethod<T>::Get for its type). Returns true when it appended no message. On failure it
  // has appended exactly one message and read nothing after it:
  //   "jorv.data.invalid.type" (no argument): a structure, list or map expected and another kind
  //     (or null) found, or a map-list element that is not a structure;
  //   "jorv.data.bad.cast1" (the text): a non-empty string where a structure or map is expected;
  //   the runtime's "jorv.data.missing.field", "jorv.data.type.mismatch" or
  //     "jorv.data.parse.failed": a missing required field or map-entry part, a primitive,
  //     enumeration or map key of the wrong kind or an unreadable text.
  // The native object then holds a partial tree to be discarded. Never throws on account of the
  // data; `source` is only read and its values are shared, never copied.
  static bool Adapt(const DataValuePtr& source, Method const& method, const NativePtr& destination,
                    std::list<BaseMessage>& messages);

  // The method for native type T (of any kind of native_kind.h); for a record, StructMethod.
  template <class T>
  struct AdaptMethod {
    static Method Get(const T* = nullptr);
  };

  template <class Compound>
  class CompoundHelper;

  // Queues reading `source` into `*destination` with the method for T.
  template <class T>
  static void ValueMethod(const DataValuePtr& source, T* destination, Queue& queue);

  // `source` as a list value; null with "jorv.data.invalid.type" appended when it is not one.
  template <class V>
  static std::shared_ptr<const V> NarrowSrc(const DataValuePtr& source,
                                            std::list<BaseMessage>& messages);

  // Sets `optional` to a new default record and returns it for filling.
  template <class T>
  static std::remove_const_t<T>* InitOptional(OptionalPtr<T>& optional, const DataValuePtr& source);

  // The methods per kind (bodies in detail/value_to_native_impl.h).
  template <class T>
  static void StructMethod(const DataValuePtr&, const NativePtr&, Queue&, std::list<BaseMessage>&);
  template <class T>
  static void SharedPtrMethod(const DataValuePtr&, const NativePtr&, Queue&,
                              std::list<BaseMessage>&);
  template <class T>
  static void PrimitiveMethod(const DataValuePtr&, const NativePtr&, Queue&,
                              std::list<BaseMessage>&);
  template <class T>
  static void EnumMethod(const DataValuePtr&, const NativePtr&, Queue&, std::list<BaseMessage>&);
  template <class E, class List>
  static void ListBeginMethod(const DataValuePtr&, const NativePtr&, Queue&,
                              std::list<BaseMessage>&);
  template <class T, class Opt>
  static void OptionalBeginMethod(const DataValuePtr&, const NativePtr&, Queue&,
                                  std::list<BaseMessage>&);
  template <class Map>
  static void MapBeginMethod(const DataValuePtr&, const NativePtr&, Queue&,
                             std::list<BaseMessage>&);
  template <class T>
  static void NullMethod(const DataValuePtr&, const NativePtr&, Queue&, std::list<BaseMessage>&);
};

namespace V2N_internal {

// The work queue of one value-to-native conversion.
class StackMapCnt {
 public:
  StackMapCnt() = default;
  // Queues reading `source`, which must be a slot of the source tree (or the root handed to
  // Adapt), not a temporary.
  void Push(const DataValuePtr& source, ValueToNativeAdapter::Method method,
            NativePtr destination) {
    entries.push_back({&source, method, destination});
  }
  // Drops all pending work after a failure.
  void Clear() { entries.clear(); }

  detail::InlineEntryStack<ValueToNativeAdapter::Entry> entries;
};

}  // namespace V2N_internal

// What a record's field list is walked with when a record is read: each declared field is
// fetched from the structure and its conversion queued; a missing required field stops the
// walk, a missing optional one leaves the member unset. Created for one structure; when
// destroyed after a failure it clears the queue.
template <>
class ValueToNativeAdapter::CompoundHelper<StructValue> {
 public:
  CompoundHelper(const DataValuePtr& source, Queue& queue, std::list<BaseMessage>& messages);
  ~CompoundHelper() {
    if (Failed()) queue_.Clear();
  }
  CompoundHelper(const CompoundHelper&) = delete;
  CompoundHelper& operator=(const CompoundHelper&) = delete;

  // Queues every declared field of `record`, then stores the undeclared ones in its
  // unknownFields (records derived from BaseNative only).
  template <class T>
  void AddFields(T* record);

  // One declared field, called by the record's field list in declaration order; annotations
  // such as Metadata::Identifier are for other walkers and ignored here.
  template <class R, class M, class... Annotations>
  void Field(const char* name, M R::*member, const Annotations&...);

 private:
  bool Failed() const { return messages_.size() != count_; }

  Queue& queue_;
  std::list<BaseMessage>& messages_;
  std::size_t count_;
  // The source, and the structure read (null when the source is not one).
  const DataValuePtr& source_;
  const CompoundValue* structure_ = nullptr;
  NativePtr record_ = nullptr;
  // While AddFields runs: the slot of each declared field in the structure by its position in
  // the field list (null when absent), and the position of the next.
  const DataValuePtr* const* found_ = nullptr;
  std::size_t next_ = 0;
};

}  // namespace Data
}  // namespace Jorv

#include "framework/data/detail/value_to_native_impl.h"
