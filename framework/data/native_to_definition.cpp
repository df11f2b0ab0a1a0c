#include "framework/data/native_to_definition.h"

namespace Jorv {
namespace Data {

void NativeToDefinitionAdapter::Adapt(Method const& method, DataDefinitionPtr* const& destination,
                                      const std::list<BaseMessage>& messages) {
  Queue queue;
  method(SrcType(), destination, queue, messages);
  detail::Drain(queue, messages);
  // Structure references resolve after everything else, when every definition is built.
  for (const Entry& entry : queue.deferred) {
    entry.method(entry.source, entry.destination, queue, messages);
  }
}

void NativeToDefinitionAdapter::StructEndMethod(const SrcType& source,
                                                DataDefinitionPtr* const& destination, Queue& queue,
                                                const std::list<BaseMessage>&) {
  auto definition = StructDefinition::GetInstance(source.name, *source.fields);
  *destination = definition;
  queue.SetDef(source.typeKey, definition);
}

void NativeToDefinitionAdapter::ResolveMethod(const SrcType& source, DataDefinitionPtr* const&,
                                              Queue& queue, const std::list<BaseMessage>&) {
  const boost::optional<DataDefinitionPtr> target = queue.GetDef(source.typeKey);
  if (target && *target && (*target)->GetType() == DefinitionType::STRUCTURE) {
    source.reference->SetTarget(std::static_pointer_cast<const StructDefinition>(*target));
  }
}

void NativeToDefinitionAdapter::ListEndMethod(const SrcType& source,
                                              DataDefinitionPtr* const& destination, Queue&,
                                              const std::list<BaseMessage>&) {
  *destination = ListDefinition::GetInstance(*source.elementHolder);
}

void NativeToDefinitionAdapter::OptionalEndMethod(const SrcType& source,
                                                  DataDefinitionPtr* const& destination, Queue&,
                                                  const std::list<BaseMessage>&) {
  *destination = OptionalDefinition::GetInstance(*source.elementHolder);
}

void NativeToDefinitionAdapter::MapBeginMethod(const SrcType&,
                                               DataDefinitionPtr* const& destination, Queue& queue,
                                               const std::list<BaseMessage>&) {
  SrcType end;
  end.fields = std::make_shared<StructDefinition::Fields>();
  DataDefinitionPtr* const key = &(*end.fields)["key"];
  DataDefinitionPtr* const value = &(*end.fields)["value"];
  queue.Push(std::move(end), &MapEndMethod, destination);
  queue.Push(SrcType(), &PrimitiveMethod<std::string>, key);
  queue.Push(SrcType(), &PrimitiveMethod<std::string>, value);
}

void NativeToDefinitionAdapter::MapEndMethod(const SrcType& source,
                                             DataDefinitionPtr* const& destination, Queue&,
                                             const std::list<BaseMessage>&) {
  *destination =
      ListDefinition::GetInstance(StructDefinition::GetInstance("map-entry", *source.fields));
}

}  // namespace Data
}  // namespace Jorv
