#pragma once
// Jorv::Data::NativeToDefinitionAdapter: derives the data definition of a native type from the
// type alone: a record becomes a structure definition named by its wire identifier with one
// field definition per declared field, as deep as its members go. Each record type is defined
// once per derivation and shared by every place that uses it; a type that contains itself is
// closed by a structure reference whose weak target is the enclosing definition.
//
//   Jorv::Data::DataDefinitionPtr definition;
//   NativeToDefinitionAdapter::Adapt(NativeToDefinitionAdapter::AdaptMethod<Record>::Get(),
//                                    &definition, {});

#include <list>
#include <map>
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "framework/core/data_definition.h"
#include "framework/data/native.h"
#include "framework/data/native_kind.h"
#include "framework/data/work_queue.h"
#include "framework/text/message.h"

namespace Jorv {
namespace Data {
namespace N2D_internal {
class StackMapCnt;
}

class NativeToDefinitionAdapter {
 public:
  using Queue = N2D_internal::StackMapCnt;

  // What one step needs besides its destination; all empty in a plain step.
  struct SrcType {
    // Where the element definition of a list or optional is written, for its end step.
    std::shared_ptr<DataDefinitionPtr> elementHolder;
    // The field definitions of a structure or map entry being built.
    std::shared_ptr<StructDefinition::Fields> fields;
    // The wire identifier of the structure being built.
    std::string name;
    // A structure reference to resolve once every definition is built.
    std::shared_ptr<StructRefDefinition> reference;
    // The identity of a record type.
    const void* typeKey = nullptr;
  };

  using Method = void (*)(const SrcType& source, DataDefinitionPtr* const& destination,
                          Queue& queue, const std::list<BaseMessage>& messages);
  using Entry = BasicAdaptEntry<SrcType, Method, DataDefinitionPtr*>;

  // Builds the definition of the type whose method is given (AdaptMethod<T>::Get()) into
  // `*destination`. Every native kind has a definition, so it cannot fail; `messages` is
  // accepted and left untouched.
  static void Adapt(Method const& method, DataDefinitionPtr* const& destination,
                    const std::list<BaseMessage>& messages);

  // The method for native type T (of any kind of native_kind.h); for a record, StructBeginMethod.
  template <class T>
  struct AdaptMethod {
    static Method Get();
  };

  template <class Compound>
  class CompoundHelper;

  struct ListEnd {};
  struct OptionalEnd {};
  struct StructEnd {};

  // The identity of record type T within a derivation.
  template <class T>
  static const void* TypeKey() {
    return &kTypeKeyAnchor<T>;
  }

  // The methods per kind (bodies in detail/native_to_definition_impl.h).
  template <class T>
  static void PrimitiveMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                              const std::list<BaseMessage>&);
  template <class T>
  static void StructBeginMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                                const std::list<BaseMessage>&);
  static void StructEndMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                              const std::list<BaseMessage>&);
  static void ResolveMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                            const std::list<BaseMessage>&);
  template <class E, class End>
  static void CompositeBeginMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                                   const std::list<BaseMessage>&);
  static void ListEndMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                            const std::list<BaseMessage>&);
  static void OptionalEndMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                                const std::list<BaseMessage>&);
  static void MapBeginMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                             const std::list<BaseMessage>&);
  static void MapEndMethod(const SrcType&, DataDefinitionPtr* const&, Queue&,
                           const std::list<BaseMessage>&);

 private:
  template <class T>
  static constexpr char kTypeKeyAnchor = 0;
};

namespace N2D_internal {

// The work queue of one derivation and the definitions it has built, by record type.
class StackMapCnt {
 public:
  void Push(NativeToDefinitionAdapter::SrcType source, NativeToDefinitionAdapter::Method method,
            DataDefinitionPtr* destination) {
    entries.push_back({std::move(source), method, destination});
  }
  // Queues a step to run after every other step.
  void PushFront(NativeToDefinitionAdapter::SrcType source,
                 NativeToDefinitionAdapter::Method method, DataDefinitionPtr* destination) {
    deferred.push_back({std::move(source), method, destination});
  }

  // Absent when the type was never met; null while it is being defined; its definition after.
  boost::optional<DataDefinitionPtr> GetDef(const void* key) const {
    const auto found = definitions.find(key);
    if (found == definitions.end()) return boost::none;
    return found->second;
  }
  void SetDef(const void* key, const DataDefinitionPtr& definition) {
    definitions[key] = definition;
  }

  detail::EntryStack<NativeToDefinitionAdapter::Entry> entries;
  detail::EntryStack<NativeToDefinitionAdapter::Entry> deferred;
  std::map<const void*, DataDefinitionPtr> definitions;
};

}  // namespace N2D_internal

// What a record's field list is walked with when its definition is built: each field gets a
// slot in the structure's field map and a queued step that defines it.
template <>
class NativeToDefinitionAdapter::CompoundHelper<StructDefinition> {
 public:
  explicit CompoundHelper(Queue& queue)
      : fields_(std::make_shared<StructDefinition::Fields>()), queue_(queue) {}

  // Queues the step that assembles the structure `name` into `destination` once its fields
  // are defined; it runs after them.
  template <class End>
  void Start(const std::string& name, const void* const& key,
             DataDefinitionPtr* const& destination);

  // Queues the definition of every declared field of T.
  template <class T>
  void AddFields();

  // One declared field, called by the record's field list in declaration order; annotations
  // such as Metadata::Identifier are for other walkers and ignored here.
  template <class R, class M, class... Annotations>
  void Field(const char* name, M R::*, const Annotations&...);

 private:
  std::shared_ptr<StructDefinition::Fields> fields_;
  Queue& queue_;
};

}  // namespace Data
}  // namespace Jorv

#include "framework/data/detail/native_to_definition_impl.h"
