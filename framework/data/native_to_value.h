#pragma once
// Jorv::Data::NativeToValueAdapter: turns native records, lists, optionals, maps, enumerations
// and primitives into data values. Iterative: pending conversions wait on an explicit queue and
// each fills one slot of a value that already exists, so nesting costs heap, not stack.
//
//   Jorv::Data::DataValuePtr value;
//   std::list<Jorv::BaseMessage> messages;
//   bool ok = NativeToValueAdapter::Adapt(&record,
//   NativeToValueAdapter::AdaptMethod<R>::Get(&record),
//                                         &value, messages, localizer);
//
// Wire encoding: a record is a structure named by its wire identifier with every declared field
// present (an unset optional as an unset optional value) followed by its stored unknown fields;
// a list is a list value of kind 1; a string map a list of kind 3 of "map-entry" structures with
// fields "key" and "value" in key order; an enumeration its text; an opaque its held value.

#include <list>
#include <memory>

#include "framework/core/compound_value.h"
#include "framework/core/localization.h"
#include "framework/core/value_arena.h"
#include "framework/data/native.h"
#include "framework/data/native_kind.h"
#include "framework/data/work_queue.h"
#include "framework/text/message.h"

namespace Jorv {
namespace Data {

class Deque;

class NativeToValueAdapter {
 public:
  // A conversion step: converts the native object at `source` and stores the value in
  // `*destination`, possibly queueing further steps.
  using Method = void (*)(const NativeConstPtr& source, DataValuePtr* const& destination,
                          Deque& queue, std::list<BaseMessage>& messages);
  using Entry = BasicAdaptEntry<NativeConstPtr, Method, DataValuePtr*>;

  // Converts the native object at `source` with `method` (AdaptMethod<T>::Get for its type)
  // into `*destination`. Returns true when it appended no message to `messages` (entries
  // already there are kept). On failure it has appended exactly one message:
  //   "jorv.data.unset.non.optional.field" (argument: the record's wire identifier) for a null
  //   required record member or list element, "jorv.data.unset.field" (argument "Opaque") for
  //   an opaque that holds no value;
  // conversion stopped there and `*destination` holds a partial tree to be discarded. Never
  // throws on account of the data; the localizer is passed through and not read.
  static bool Adapt(const NativeConstPtr& source, Method const& method,
                    DataValuePtr* const& destination, std::list<BaseMessage>& messages,
                    const L10n::RequestLocalizer& localizer);

  // The method for native type T (of any kind of native_kind.h); for a record, StructMethod.
  // The pointer only selects the type.
  template <class T>
  struct AdaptMethod {
    static Method Get(const T* = nullptr);
  };

  template <class Compound>
  class CompoundHelper;

  // The methods per kind (bodies in detail/native_to_value_impl.h).
  template <class T>
  static void PrimitiveMethod(const NativeConstPtr&, DataValuePtr* const&, Deque&,
                              std::list<BaseMessage>&);
  template <class T>
  static void EnumMethod(const NativeConstPtr&, DataValuePtr* const&, Deque&,
                         std::list<BaseMessage>&);
  template <class T>
  static void StructMethod(const NativeConstPtr&, DataValuePtr* const&, Deque&,
                           std::list<BaseMessage>&);
  template <class T>
  static void SharedPtrMethod(const NativeConstPtr&, DataValuePtr* const&, Deque&,
                              std::list<BaseMessage>&);
  template <class E, class List, int Kind>
  static void ListBeginMethod(const NativeConstPtr&, DataValuePtr* const&, Deque&,
                              std::list<BaseMessage>&);
  template <class T, class Opt>
  static void OptionalBeginMethod(const NativeConstPtr&, DataValuePtr* const&, Deque&,
                                  std::list<BaseMessage>&);
  template <class Map>
  static void MapBeginMethod(const NativeConstPtr&, DataValuePtr* const&, Deque&,
                             std::list<BaseMessage>&);
  template <class T>
  static void NullMethod(const NativeConstPtr&, DataValuePtr* const&, Deque&,
                         std::list<BaseMessage>&);

 private:
  // Writes `native` into `*destination` at once; for the kinds detail::WritesInPlace<T>()
  // accepts, which hold nothing to queue and cannot fail.
  template <class T>
  static void WriteInPlace(const T& native, DataValuePtr* destination, Deque& queue);
};

// The work queue of one native-to-value conversion, with the localizer given to Adapt and the
// arena from which the conversion draws its values.
class Deque {
 public:
  explicit Deque(const L10n::RequestLocalizer& localizer) : localizer(localizer) {}
  void Push(const NativeConstPtr& source, NativeToValueAdapter::Method method,
            DataValuePtr* destination) {
    entries.push_back({source, method, destination});
  }
  // Drops all pending work after a failure.
  void Clear() { entries.clear(); }

  detail::InlineEntryStack<NativeToValueAdapter::Entry> entries;
  const L10n::RequestLocalizer& localizer;
  ValueArena arena;
};

// What a record's field list is walked with when the record is written: each field gets an
// empty slot in the structure under construction and a queued conversion that fills it.
template <>
class NativeToValueAdapter::CompoundHelper<StructValue> {
 public:
  // Fills `value`, which must outlive the helper.
  CompoundHelper(const std::shared_ptr<StructValue>& value, Deque& queue)
      : value_(value), queue_(queue) {}

  // Queues every declared field of `record`, then copies its stored unknown fields.
  template <class T>
  void AddFields(const T* record);

  // One declared field, called by the record's field list in declaration order; annotations
  // such as Metadata::Identifier are for other walkers and ignored here.
  template <class R, class M, class... Annotations>
  void Field(const char* name, M R::*member, const Annotations&...);

 private:
  const std::shared_ptr<StructValue>& value_;
  Deque& queue_;
  NativeConstPtr record_ = nullptr;
  // The slot of each declared field by its position in the field list, while AddFields runs.
  DataValuePtr* const* slots_ = nullptr;
  std::size_t next_ = 0;
};

}  // namespace Data
}  // namespace Jorv

#include "framework/data/detail/native_to_value_impl.h"
