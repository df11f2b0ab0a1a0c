#include "framework/data/native.h"

namespace Jorv {
namespace Data {
namespace {

const CompoundValue::SharedName& UnknownFieldsName() {
  static const CompoundValue::SharedName name =
      std::make_shared<const std::string>("unknownFields");
  return name;
}

}  // namespace

void BaseNative::AdapterHelper::AddUnknownFields(const BaseNative& native,
                                                 const std::shared_ptr<StructValue>& target) {
  if (!native.unknownFields) return;
  for (const auto& field : native.unknownFields->GetFields()) {
    // A declared field written already keeps its value; one still queued is written later
    // and replaces what is set here.
    DataValuePtr* slot = target->CreateSlot(field.first);
    if (!*slot) *slot = field.second;
  }
}

void BaseNative::AdapterHelper::CollectUnknownFields(
    const boost::basic_string_view<char>* knownNames, std::size_t count,
    const std::shared_ptr<const CompoundValue>& source,
    std::shared_ptr<StructValue>& unknownFields) {
  if (!source) return;
  std::size_t known = 0;
  // Both sequences ascend by byte order: the field map by std::string's ordering, the known
  // names by construction. One pass merges them.
  for (const auto& field : source->GetFields()) {
    const boost::basic_string_view<char> name(field.first);
    while (known < count && knownNames[known] < name) ++known;
    if (known < count && knownNames[known] == name) {
      ++known;
      continue;
    }
    if (!unknownFields) unknownFields = StructValue::GetInstance(UnknownFieldsName());
    unknownFields->SetField(field.first, field.second);
  }
}

}  // namespace Data
}  // namespace Jorv
