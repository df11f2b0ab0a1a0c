#include "framework/core/validation.h"

#include <algorithm>
#include <cstddef>
#include <list>
#include <memory>
#include <vector>

#include "framework/core/detail/inline_stack.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Data {
namespace {

constexpr char kMapEntryName[] = "map-entry";
constexpr char kMapKey[] = "key";
constexpr char kMapValue[] = "value";
constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);
// Room for a small value inside the validator, so that checking one allocates no work list.
constexpr std::size_t kInlineCapacity = 32;

// One step of a path: a field name (held by a definition or a value) or a list index, below the
// node at `parent`. Node 0 is the root, the empty path.
struct PathNode {
  std::size_t parent;
  const std::string* field;
  std::size_t index;
};

// A value still to be checked: the slot holding it (stable while the root is held), the
// definition it must conform to and the path node naming its place.
struct Work {
  const DataDefinition* definition;
  const DataValuePtr* value;
  std::size_t path;
};

bool IsEmptyString(const DataValue& value) {
  return value.GetType() == DataType::STRING &&
         static_cast<const StringValue&>(value).GetValue().empty();
}

bool IsString(const DataValuePtr& value) { return value && value->GetType() == DataType::STRING; }

// Whether `list` is a string map: a list of the structure named "map-entry".
bool IsMapDefinition(const ListDefinition& list) {
  const DataDefinitionPtr& element = list.GetElement();
  return element && element->GetType() == DefinitionType::STRUCTURE &&
         static_cast<const StructDefinition&>(*element).GetName() == kMapEntryName;
}

std::string Fmt(const char* id) { return Message<CoreTag>::DefaultMessageForId(id); }

class Validator {
 public:
  boost::optional<ValidationFailure> Run(const DataDefinitionPtr& definition,
                                         const DataValuePtr& value) {
    nodes_.push_back({kNoParent, nullptr, 0});
    pending_.push_back({definition.get(), &value, 0});
    while (!pending_.empty() && !failure_) {
      const Work work = pending_.back();
      pending_.pop_back();
      Check(work);
    }
    return std::move(failure_);
  }

 private:
  // Dispatch on the definition kind, in the order of DefinitionType.
  void Check(const Work& work) {
    if (work.definition == nullptr) return KindMismatch(work, "none");
    switch (work.definition->GetType()) {
      case DefinitionType::VOID:
        return CheckExact(work, DataType::VOID);
      case DefinitionType::INTEGER:
        return CheckParsed<long long>(work);
      case DefinitionType::DOUBLE:
        return CheckParsed<double>(work);
      case DefinitionType::BOOLEAN:
        return CheckParsed<bool>(work);
      case DefinitionType::STRING:
        return CheckExact(work, DataType::STRING);
      case DefinitionType::DATE_TIME:
        return CheckParsed<DateTime>(work);
      case DefinitionType::BLOB:
        return CheckExact(work, DataType::BLOB);
      case DefinitionType::SECRET:
        return CheckExact(work, DataType::SECRET);
      case DefinitionType::OPAQUE:
        return CheckOpaque(work);
      case DefinitionType::LIST:
        return CheckList(work, static_cast<const ListDefinition&>(*work.definition));
      case DefinitionType::OPTIONAL:
        return CheckOptional(work, static_cast<const OptionalDefinition&>(*work.definition));
      case DefinitionType::STRUCTURE:
        return CheckStruct(work, static_cast<const StructDefinition&>(*work.definition));
      case DefinitionType::STRUCT_REF:
        return CheckStructRef(work, static_cast<const StructRefDefinition&>(*work.definition));
    }
    KindMismatch(work, DefinitionType::Name(work.definition->GetType()));
  }

  void CheckExact(const Work& work, DataType::EnumType type) {
    if (!*work.value || (*work.value)->GetType() != type) KindMismatch(work);
  }

  // A primitive that the reader takes from its own kind or parses from a string.
  template <class T>
  void CheckParsed(const Work& work) {
    T parsed{};
    std::list<BaseMessage> ignored;
    if (DataValue::ToPrimitive(*work.value, parsed, ignored)) return;
    if (!IsString(*work.value)) return KindMismatch(work);
    Fail(work.path, MakeMessage(MessageIds::kValidationParse, Fmt(MessageIds::kValidationParse),
                                static_cast<const StringValue&>(**work.value).GetValue(),
                                PathOf(work.path), Expected(work)));
  }

  void CheckOpaque(const Work& work) {
    if (!*work.value) KindMismatch(work);
  }

  void CheckList(const Work& work, const ListDefinition& definition) {
    const DataValuePtr& value = *work.value;
    if (!value) return KindMismatch(work);
    if (value->GetType() == DataType::STRING) {
      if (IsEmptyString(*value)) return;
      if (IsMapDefinition(definition)) return KindMismatch(work);
      return Push(definition.GetElement(), value, work.path);
    }
    if (IsMapDefinition(definition)) return CheckMap(work);
    if (value->GetType() != DataType::LIST) return KindMismatch(work);
    const auto& elements = static_cast<const ListValue&>(*value).GetElements();
    std::size_t index = elements.size();
    for (auto element = elements.rbegin(); element != elements.rend(); ++element) {
      Push(definition.GetElement(), *element, AddIndex(work.path, --index));
    }
  }

  // A string map: a list of key/value structures, or one structure whose fields are entries.
  void CheckMap(const Work& work) {
    const DataValue& value = **work.value;
    if (value.GetType() == DataType::STRUCTURE || value.GetType() == DataType::DYNAMIC_STRUCTURE) {
      for (const auto& field : static_cast<const CompoundValue&>(value).GetFields()) {
        if (!IsString(field.second)) {
          return KindMismatch(AddField(work.path, field.first), DefinitionType::STRING,
                              field.second);
        }
      }
      return;
    }
    if (value.GetType() != DataType::LIST) return KindMismatch(work);
    std::size_t index = 0;
    for (const DataValuePtr& entry : static_cast<const ListValue&>(value).GetElements()) {
      if (!IsMapEntry(entry)) {
        const std::size_t path = AddIndex(work.path, index);
        return Fail(path, MakeMessage(MessageIds::kValidationMapEntry,
                                      Fmt(MessageIds::kValidationMapEntry), PathOf(path)));
      }
      ++index;
    }
  }

  static bool IsMapEntry(const DataValuePtr& entry) {
    if (!entry || entry->GetType() != DataType::STRUCTURE) return false;
    const auto& fields = static_cast<const CompoundValue&>(*entry).GetFields();
    const auto key = fields.find(kMapKey);
    const auto value = fields.find(kMapValue);
    return key != fields.end() && IsString(key->second) && value != fields.end() &&
           IsString(value->second);
  }

  void CheckOptional(const Work& work, const OptionalDefinition& definition) {
    const DataValuePtr& value = *work.value;
    if (!value) return KindMismatch(work);
    if (value->GetType() == DataType::OPTIONAL) {
      const auto& optional = static_cast<const OptionalValue&>(*value);
      if (optional.IsSet()) Push(definition.GetElement(), optional.value(), work.path);
      return;
    }
    if (IsEmptyString(*value)) return;
    Push(definition.GetElement(), value, work.path);
  }

  void CheckStruct(const Work& work, const StructDefinition& definition) {
    const DataValuePtr& value = *work.value;
    if (value && IsEmptyString(*value)) return CheckDefaultRecord(work, definition);
    if (!value || !DataType::IsCompound(value->GetType())) {
      return KindMismatch(work, DefinitionType::Name(DefinitionType::STRUCTURE));
    }
    const auto& compound = static_cast<const CompoundValue&>(*value);
    if (compound.GetName() != definition.GetName()) {
      return Fail(
          work.path,
          MakeMessage(MessageIds::kValidationStructName, Fmt(MessageIds::kValidationStructName),
                      definition.GetName(), PathOf(work.path), compound.GetName()));
    }
    // Both field lists ascend by name: one pass from the back matches them. Fields are queued
    // last first, so they are checked in name order; the first missing one in name order is
    // the one reported.
    const std::string* missing = nullptr;
    const auto& fields = compound.GetFields();
    const auto& declared = definition.GetFields();
    auto present = fields.rbegin();
    for (auto field = declared.rbegin(); field != declared.rend(); ++field) {
      while (present != fields.rend() && field->first < present->first) ++present;
      if (present != fields.rend() && present->first == field->first) {
        Push(field->second, present->second, AddField(work.path, field->first));
        ++present;
      } else if (!field->second || field->second->GetType() != DefinitionType::OPTIONAL) {
        missing = &field->first;
      }
    }
    if (missing != nullptr) {
      const std::size_t path = AddField(work.path, *missing);
      Fail(path, MakeMessage(MessageIds::kValidationMissingField,
                             Fmt(MessageIds::kValidationMissingField), PathOf(path)));
    }
  }

  // An empty string is read as the default record, whose record members are null. It conforms
  // only when no member is a required record; the first such member in name order is reported
  // missing.
  void CheckDefaultRecord(const Work& work, const StructDefinition& definition) {
    for (const auto& field : definition.GetFields()) {
      if (!field.second) continue;
      const DefinitionType::EnumType type = field.second->GetType();
      if (type != DefinitionType::STRUCTURE && type != DefinitionType::STRUCT_REF) continue;
      const std::size_t path = AddField(work.path, field.first);
      return Fail(path, MakeMessage(MessageIds::kValidationMissingField,
                                    Fmt(MessageIds::kValidationMissingField), PathOf(path)));
    }
  }

  void CheckStructRef(const Work& work, const StructRefDefinition& definition) {
    std::shared_ptr<const StructDefinition> target = definition.GetTarget();
    if (!target) {
      return Fail(work.path, MakeMessage(MessageIds::kValidationUnresolved,
                                         Fmt(MessageIds::kValidationUnresolved),
                                         definition.GetName(), PathOf(work.path)));
    }
    // The target normally encloses the reference; holding it keeps work entries that point
    // into it valid even if it does not.
    if (std::find(targets_.begin(), targets_.end(), target) == targets_.end()) {
      targets_.push_back(target);
    }
    CheckStruct(work, *target);
  }

  void Push(const DataDefinitionPtr& definition, const DataValuePtr& value, std::size_t path) {
    pending_.push_back({definition.get(), &value, path});
  }

  std::size_t AddField(std::size_t parent, const std::string& name) {
    nodes_.push_back({parent, &name, 0});
    return nodes_.size() - 1;
  }

  std::size_t AddIndex(std::size_t parent, std::size_t index) {
    nodes_.push_back({parent, nullptr, index});
    return nodes_.size() - 1;
  }

  std::string PathOf(std::size_t node) const {
    std::vector<const PathNode*> steps;
    for (; node != 0; node = nodes_[node].parent) steps.push_back(&nodes_[node]);
    std::string path;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
      if ((*step)->field == nullptr) {
        path += '[' + std::to_string((*step)->index) + ']';
      } else {
        if (!path.empty()) path += '.';
        path += *(*step)->field;
      }
    }
    return path;
  }

  std::string Expected(const Work& work) const {
    return DefinitionType::Name(work.definition->GetType());
  }

  void KindMismatch(const Work& work) { KindMismatch(work, Expected(work)); }
  void KindMismatch(const Work& work, const std::string& expected) {
    KindMismatch(work.path, expected, *work.value);
  }
  void KindMismatch(std::size_t path, DefinitionType::EnumType expected,
                    const DataValuePtr& found) {
    KindMismatch(path, DefinitionType::Name(expected), found);
  }
  void KindMismatch(std::size_t path, const std::string& expected, const DataValuePtr& found) {
    Fail(path,
         MakeMessage(MessageIds::kValidationKind, Fmt(MessageIds::kValidationKind), expected,
                     PathOf(path), std::string(found ? DataType::Name(found->GetType()) : "null")));
  }

  void Fail(std::size_t path, BaseMessage message) {
    failure_ = ValidationFailure{PathOf(path), std::move(message)};
  }

  Jorv::detail::InlineStack<PathNode, kInlineCapacity> nodes_;
  Jorv::detail::InlineStack<Work, kInlineCapacity> pending_;
  std::vector<std::shared_ptr<const StructDefinition>> targets_;
  boost::optional<ValidationFailure> failure_;
};

}  // namespace

boost::optional<ValidationFailure> Validate(const DataDefinitionPtr& definition,
                                            const DataValuePtr& value) {
  return Validator().Run(definition, value);
}

}  // namespace Data
}  // namespace Jorv
