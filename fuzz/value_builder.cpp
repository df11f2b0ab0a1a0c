#include "fuzz/value_builder.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <list>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "framework/core/date_time.h"
#include "framework/core/standard_names.h"
#include "framework/core/value_ops.h"

namespace Jorv {
namespace Fuzz {
namespace {

using Data::DataDefinition;
using Data::DataValuePtr;
using Data::DefinitionType;

constexpr char kMapEntryName[] = "map-entry";

// Earliest and latest instants whose date-time text has a four-digit year.
constexpr std::int64_t kFirstMillis = -62167219200000;  // 0000-01-01T00:00:00.000Z
constexpr std::int64_t kEndMillis = 253402300800000;    // 10000-01-01T00:00:00.000Z

bool IsMap(const Data::ListDefinition& list) {
  const auto& element = list.GetElement();
  return element && element->GetType() == DefinitionType::STRUCTURE &&
         static_cast<const Data::StructDefinition&>(*element).GetName() == kMapEntryName;
}

// Method inputs are the one kind of structure whose record keeps no unknown fields.
bool KeepsUnknownFields(const Data::StructDefinition& definition) {
  return definition.GetName() != Std::kOperationInputName;
}

std::string Printed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string Padded(unsigned value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*u", width, value);
  return buffer;
}

DataValuePtr Text(std::string text) { return Data::StringValue::GetInstance(std::move(text)); }

// A string map entry in the writer's encoding.
DataValuePtr MapEntry(std::string key, std::string value) {
  auto entry = Data::StructValue::GetInstance(kMapEntryName);
  entry->SetField("key", Text(std::move(key)));
  entry->SetField("value", Text(std::move(value)));
  return entry;
}

}  // namespace

ValueBuilder::ValueBuilder(ByteSource& source, const std::vector<std::string>& words)
    : ValueBuilder(source, words, Options()) {}

ValueBuilder::ValueBuilder(ByteSource& source, const std::vector<std::string>& words,
                           Options options)
    : source_(source), words_(words), options_(options) {}

DataValuePtr ValueBuilder::Build(const Data::DataDefinitionPtr& definition) {
  DataValuePtr root;
  Push(definition.get(), &root, 0);
  while (!pending_.empty()) {
    const Work work = pending_.back();
    pending_.pop_back();
    Step(work);
  }
  return root;
}

void ValueBuilder::Step(const Work& work) {
  if (work.definition == nullptr) return Arbitrary(work);
  // Now and then a value of any kind where the definition asks for one kind.
  if (work.depth <= options_.maxDepth && source_.OneIn(24)) {
    if (work.definition->GetType() != DefinitionType::OPAQUE) NotCanonical();
    return Arbitrary(work);
  }
  const DataDefinition& definition = *work.definition;
  switch (definition.GetType()) {
    case DefinitionType::VOID:
    case DefinitionType::BOOLEAN:
    case DefinitionType::BLOB:
    case DefinitionType::SECRET:
      *work.slot = Leaf(definition.GetType());
      return;
    case DefinitionType::INTEGER:
      return Integer(work);
    case DefinitionType::DOUBLE:
      return Double(work);
    case DefinitionType::STRING:
      return String(work);
    case DefinitionType::DATE_TIME:
      return DateTime(work);
    case DefinitionType::OPAQUE:
      return Arbitrary(work);
    case DefinitionType::LIST:
      return List(work, static_cast<const Data::ListDefinition&>(definition));
    case DefinitionType::OPTIONAL:
      return Optional(work, static_cast<const Data::OptionalDefinition&>(definition));
    case DefinitionType::STRUCTURE:
      return Structure(work, static_cast<const Data::StructDefinition&>(definition));
    case DefinitionType::STRUCT_REF:
      if (const auto target =
              static_cast<const Data::StructRefDefinition&>(definition).GetTarget()) {
        return Structure(work, *target);
      }
      break;
  }
  NotCanonical();
  Arbitrary(work);
}

void ValueBuilder::Structure(const Work& work, const Data::StructDefinition& definition) {
  const bool deep = work.depth > options_.maxDepth;
  const std::size_t form = deep ? 0 : source_.Below(32);
  // Mostly a structure of the definition's name; now and then a dynamic structure, an error
  // value, a structure of another name, the empty text or another text.
  if (form >= 27) NotCanonical();
  if (form >= 30) {
    *work.slot = Text(form == 30 ? "" : AnyText());
    return;
  }
  std::shared_ptr<Data::CompoundValue> compound;
  if (form < 27) compound = Data::StructValue::GetInstance(definition.GetName());
  if (form == 27) compound = Data::StructValue::GetDynamicInstance(definition.GetName());
  if (form == 28) compound = std::make_shared<Data::ErrorValue>(definition.GetName());
  if (form == 29) compound = Data::StructValue::GetInstance(source_.OneIn(2) ? Word() : AnyText());
  *work.slot = compound;
  const auto& declared = definition.GetFields();
  for (const auto& field : declared) {
    if (!deep && source_.OneIn(24)) {
      NotCanonical();  // missing: a required one fails to read, an optional one reads as unset
      continue;
    }
    Push(field.second.get(), compound->CreateSlot(field.first), work.depth + 1);
  }
  if (deep || !source_.OneIn(6)) return;
  for (std::size_t extra = 1 + source_.Below(3); extra > 0; --extra) {
    const std::string name = source_.OneIn(3) ? Word() : AnyText();
    if (declared.count(name) != 0) continue;
    if (!KeepsUnknownFields(definition)) NotCanonical();
    Push(nullptr, compound->CreateSlot(name), work.depth + 1);
  }
}

void ValueBuilder::List(const Work& work, const Data::ListDefinition& definition) {
  if (IsMap(definition)) return Map(work);
  const bool deep = work.depth > options_.maxDepth;
  const std::size_t form = deep ? 0 : source_.Below(16);
  // Mostly a list of kind 1; now and then another kind, the empty text, one bare element (a
  // one-element list when it is a text) or a value of any kind.
  if (form >= 12) NotCanonical();
  if (form == 13) {
    *work.slot = Text("");
    return;
  }
  if (form == 14) return Push(definition.GetElement().get(), work.slot, work.depth + 1);
  if (form == 15) return Arbitrary(work);
  int kind = 1;
  if (form == 12) kind = static_cast<int>(source_.Below(5));
  auto list = Data::ListValue::GetInstance(kind == 1 && form == 12 ? 3 : kind);
  *work.slot = list;
  std::size_t count = deep ? 0 : source_.Below(4);
  if (count == 3 && source_.OneIn(3)) count = source_.Below(40);
  for (; count > 0; --count) {
    Push(definition.GetElement().get(), list->AppendSlot(), work.depth + 1);
  }
}

void ValueBuilder::Map(const Work& work) {
  const bool deep = work.depth > options_.maxDepth;
  const std::size_t form = deep ? 0 : source_.Below(16);
  // Mostly the writer's encoding: entries of unique keys in ascending order in a list of kind 3.
  // Now and then a list of kind 1, a repeated key, a text, a value of any kind, or the entries
  // as the fields of one structure.
  if (form >= 11) NotCanonical();
  if (form == 13) {
    *work.slot = Text(source_.OneIn(2) ? "" : AnyText());
    return;
  }
  if (form == 14) return Arbitrary(work);
  std::size_t count = deep ? 0 : source_.Below(4);
  if (count == 3 && source_.OneIn(3)) count = source_.Below(24);
  if (form == 15) {
    auto structure = source_.OneIn(2) ? Data::StructValue::GetDynamicInstance(Word())
                                      : Data::StructValue::GetInstance(Word());
    *work.slot = structure;
    for (; count > 0; --count) {
      DataValuePtr* slot = structure->CreateSlot(AnyText());
      if (source_.OneIn(12)) {
        Push(nullptr, slot, work.depth + 1);
      } else {
        *slot = Text(AnyText());
      }
    }
    return;
  }
  std::list<std::string> keys;
  for (; count > 0; --count) keys.push_back(AnyText());
  if (form == 12) {
    if (!keys.empty() && source_.OneIn(2)) keys.push_back(keys.front());
  } else {
    keys.sort();
    keys.unique();
  }
  auto list = Data::ListValue::GetInstance(form == 11 ? 1 : 3);
  *work.slot = list;
  for (const std::string& key : keys) {
    DataValuePtr* slot = list->AppendSlot();
    if (!deep && source_.OneIn(16)) {
      // A malformed entry: a value of any kind, or an entry of another name, without one of its
      // parts, with an extra part, or with a part that is not a text.
      NotCanonical();
      const std::size_t malformed = source_.Below(4);
      if (malformed == 0) {
        Push(nullptr, slot, work.depth + 1);
        continue;
      }
      auto entry = Data::StructValue::GetInstance(malformed == 1 ? Word() : kMapEntryName);
      *slot = entry;
      if (malformed == 2) {
        entry->SetField(source_.OneIn(2) ? "key" : "value", Text(key));
        continue;
      }
      const bool arbitraryKey = malformed == 3 && source_.OneIn(2);
      entry->SetField(arbitraryKey ? "value" : "key", Text(key));
      Push(nullptr,
           entry->CreateSlot(arbitraryKey     ? "key"
                             : malformed == 3 ? "value"
                                              : AnyText()),
           work.depth + 1);
      if (malformed == 1) entry->SetField("value", Text(AnyText()));
      continue;
    }
    *slot = MapEntry(key, AnyText());
  }
}

void ValueBuilder::Optional(const Work& work, const Data::OptionalDefinition& definition) {
  const std::size_t form = work.depth > options_.maxDepth ? 0 : source_.Below(8);
  // Unset, set, or now and then the bare element (which reads as a set optional) or the empty
  // text.
  if (form < 3) {
    *work.slot = Data::OptionalValue::GetInstance();
  } else if (form == 6) {
    NotCanonical();
    Push(definition.GetElement().get(), work.slot, work.depth + 1);
  } else if (form == 7) {
    NotCanonical();
    *work.slot = Text("");
  } else {
    auto optional = Data::OptionalValue::GetInstance();
    *work.slot = optional;
    Push(definition.GetElement().get(), optional->value(nullptr), work.depth + 1);
  }
}

void ValueBuilder::Integer(const Work& work) {
  static constexpr long long kEdges[] = {LLONG_MIN, LLONG_MAX, 0, -1, INT_MIN, INT_MAX};
  const std::size_t form = source_.Below(8);
  if (form >= 5) {
    NotCanonical();
    if (form == 7) return Arbitrary(work);
    *work.slot = Text(NumberText());
    return;
  }
  const long long value = form < 2   ? static_cast<signed char>(source_.Byte())
                          : form < 4 ? static_cast<long long>(source_.Bits(8))
                                     : kEdges[source_.Below(6)];
  *work.slot = Data::IntegerValue::GetInstance(value);
}

void ValueBuilder::Double(const Work& work) {
  using Limits = std::numeric_limits<double>;
  static constexpr double kEdges[] = {
      Limits::quiet_NaN(),  -Limits::quiet_NaN(), Limits::infinity(), -Limits::infinity(), -0.0,
      Limits::denorm_min(), Limits::max(),        Limits::lowest()};
  const std::size_t form = source_.Below(8);
  if (form >= 5) {
    NotCanonical();
    if (form == 7) return Arbitrary(work);
    *work.slot = Text(NumberText());
    return;
  }
  const double value = form == 0  ? static_cast<signed char>(source_.Byte()) / 4.0
                       : form < 4 ? source_.RawDouble()
                                  : kEdges[source_.Below(8)];
  if (std::isnan(value)) hasNaN_ = true;
  *work.slot = Data::DoubleValue::GetInstance(value);
}

void ValueBuilder::DateTime(const Work& work) {
  const std::size_t form = source_.Below(8);
  std::string text;
  if (form < 3) {
    const auto span = static_cast<std::uint64_t>(kEndMillis - kFirstMillis);
    text = Jorv::DateTime::FromMillisSinceEpoch(kFirstMillis +
                                                static_cast<std::int64_t>(source_.Bits(8) % span))
               .ToString();
  } else if (form == 3) {
    text =
        Jorv::DateTime::FromMillisSinceEpoch(static_cast<std::int64_t>(source_.Bits(8))).ToString();
  } else if (form == 7) {
    NotCanonical();
    return Arbitrary(work);
  } else {
    text = DateTimeText();
  }
  const auto parsed = Jorv::DateTime::Parse(text);
  if (!parsed || parsed->ToString() != text) NotCanonical();
  *work.slot = Text(text);
}

void ValueBuilder::String(const Work& work) {
  const std::size_t form = source_.Below(16);
  if (form == 15) {
    NotCanonical();
    return Arbitrary(work);
  }
  const std::string text = form < 6 ? Word() : form == 14 ? std::string() : AnyText();
  // An empty text reads as the default of an enumeration, which writes back as its literal.
  if (text.empty()) NotCanonical();
  *work.slot = Text(text);
}

DataValuePtr ValueBuilder::Leaf(DefinitionType::EnumType type) {
  switch (type) {
    case DefinitionType::INTEGER:
      return Data::IntegerValue::GetInstance(static_cast<long long>(source_.Bits(8)));
    case DefinitionType::DOUBLE: {
      const double value = source_.RawDouble();
      if (std::isnan(value)) hasNaN_ = true;
      return Data::DoubleValue::GetInstance(value);
    }
    case DefinitionType::BOOLEAN:
      return Data::BooleanValue::GetInstance(source_.OneIn(2));
    case DefinitionType::STRING:
      return Text(AnyText());
    case DefinitionType::BLOB: {
      const std::string bytes = source_.Bytes(16);
      return Data::BlobValue::GetInstance(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    case DefinitionType::SECRET:
      return Data::SecretValue::GetInstance(AnyText());
    default:
      return Data::VoidValue::GetInstance();
  }
}

void ValueBuilder::Arbitrary(const Work& work) {
  static constexpr DefinitionType::EnumType kLeaves[] = {
      DefinitionType::VOID,    DefinitionType::INTEGER, DefinitionType::DOUBLE,
      DefinitionType::BOOLEAN, DefinitionType::STRING,  DefinitionType::STRING,
      DefinitionType::BLOB,    DefinitionType::SECRET};
  const bool deep = work.depth > options_.maxDepth;
  const std::size_t choice = source_.Below(deep ? 8 : 17);
  if (choice < std::size(kLeaves)) {
    *work.slot = Leaf(kLeaves[choice]);
  } else if (choice <= 10) {
    std::shared_ptr<Data::CompoundValue> compound;
    if (choice == 8) compound = std::make_shared<Data::ErrorValue>(Word());
    if (choice == 9) compound = Data::StructValue::GetInstance(Word());
    if (choice == 10) compound = Data::StructValue::GetDynamicInstance(AnyText());
    *work.slot = compound;
    for (std::size_t count = source_.Below(4); count > 0; --count) {
      Push(nullptr, compound->CreateSlot(source_.OneIn(2) ? Word() : AnyText()), work.depth + 1);
    }
  } else if (choice <= 12) {
    auto list = Data::ListValue::GetInstance(static_cast<int>(source_.Below(5)));
    *work.slot = list;
    for (std::size_t count = source_.Below(5); count > 0; --count) {
      Push(nullptr, list->AppendSlot(), work.depth + 1);
    }
  } else if (choice == 13) {
    auto optional = Data::OptionalValue::GetInstance();
    *work.slot = optional;
    if (source_.OneIn(2)) Push(nullptr, optional->value(nullptr), work.depth + 1);
  } else if (choice == 14) {
    // A string map in the writer's encoding, wherever it turns up.
    auto list = Data::ListValue::GetInstance(3);
    *work.slot = list;
    for (std::size_t count = source_.Below(4); count > 0; --count) {
      std::string key = AnyText();
      list->Append(MapEntry(std::move(key), AnyText()));
    }
  } else if (choice == 15) {
    *work.slot = options_.allowNull ? DataValuePtr() : Data::VoidValue::GetInstance();
  } else if (options_.deepChains) {
    DeepChain(work);
  } else {
    *work.slot = Text(AnyText());
  }
}

void ValueBuilder::DeepChain(const Work& work) {
  // Tens of thousands of nested containers: more than any recursive walk survives on a stack.
  std::size_t length = source_.Bits(2);
  if (source_.OneIn(4)) length *= 4;
  const std::size_t shape = source_.Below(4);
  DataValuePtr* slot = work.slot;
  for (std::size_t i = 0; i < length; ++i) {
    const std::size_t kind = shape == 3 ? i % 3 : shape;
    if (kind == 0) {
      auto optional = Data::OptionalValue::GetInstance();
      *slot = optional;
      slot = optional->value(nullptr);
    } else if (kind == 1) {
      auto list = Data::ListValue::GetInstance(1);
      *slot = list;
      slot = list->AppendSlot();
    } else {
      auto structure = Data::StructValue::GetInstance("chain");
      *slot = structure;
      slot = structure->CreateSlot("next");
    }
  }
  Push(nullptr, slot, options_.maxDepth + 1);
}

std::string ValueBuilder::AnyText() {
  const std::size_t form = source_.Below(6);
  if (form == 0) return source_.Bytes(24);
  if (form == 1) return Word();
  if (form == 2) return NumberText();
  if (form == 3) return DateTimeText();
  if (form == 4) {
    std::string text = source_.Bytes(4);
    return text + Word();
  }
  // A word with one byte replaced.
  std::string text = Word();
  if (text.empty()) return text;
  const std::size_t position = source_.Below(text.size());
  text[position] = static_cast<char>(source_.Byte());
  return text;
}

std::string ValueBuilder::NumberText() {
  static const std::vector<std::string> kSpecial = [] {
    std::vector<std::string> texts;
    std::istringstream in(
        "nan|-nan|NaN|inf|-inf|infinity|1e999|-1e-999|9223372036854775807|9223372036854775808|"
        "-9223372036854775808|-9223372036854775809|+-1|0x|0x1p-1074|-0|00|1_000| 1|1 |+|-|"
        "0x.8p1|1e|.5|5.|+0x1|-0x1.fffffffffffffp1023");
    for (std::string text; std::getline(in, text, '|');) texts.push_back(text);
    return texts;
  }();
  const std::size_t form = source_.Below(8);
  if (form == 0) return std::to_string(static_cast<long long>(source_.Bits(8)));
  if (form == 1) return "+" + std::to_string(static_cast<signed char>(source_.Byte()));
  if (form == 2) return Printed("%a", source_.RawDouble());
  if (form == 3) return Printed("%.17g", source_.RawDouble());
  if (form == 4) return kSpecial[source_.Below(kSpecial.size())];
  if (form == 5) {
    static constexpr char kChars[] = "0123456789+-.eEpxX";
    std::string text = source_.Bytes(12);
    for (char& c : text) c = kChars[static_cast<unsigned char>(c) % (sizeof kChars - 1)];
    return text;
  }
  if (form == 6) return "000" + std::to_string(source_.Byte());
  return std::to_string(static_cast<signed char>(source_.Byte()));
}

std::string ValueBuilder::DateTimeText() {
  // One read per statement: the order of reads must not depend on the compiler, so that an
  // input found by the fuzzer builds the same value in the replay.
  static constexpr unsigned kYears[] = {0, 1, 1969, 1970, 2000, 2026, 9999};
  const auto field = [this](std::size_t below, std::size_t from) {
    return Padded(static_cast<unsigned>(from + source_.Below(below)), 2);
  };
  const unsigned year =
      source_.OneIn(2) ? kYears[source_.Below(7)] : static_cast<unsigned>(source_.Bits(2) % 10000);
  std::string text = Padded(year, 4);
  text += "-" + field(13, 1);
  text += "-" + field(32, 1);
  text += "TTt x"[source_.Below(5)];
  text += field(25, 0);
  text += ":" + field(60, 0);
  text += ":" + (source_.OneIn(8) ? std::string("60") : field(61, 0));
  if (source_.OneIn(2)) {
    text += '.';
    for (std::size_t digits = source_.Below(8); digits > 0; --digits) {
      text += static_cast<char>('0' + source_.Below(10));
    }
  }
  const std::size_t zone = source_.Below(6);
  if (zone < 3) {
    text += "ZZz"[zone];
  } else if (zone < 5) {
    text += source_.OneIn(2) ? '-' : '+';
    text += field(25, 0);
    text += ":" + field(61, 0);
  } else {
    text += source_.Bytes(3);
  }
  return text;
}

const std::string& ValueBuilder::Word() {
  static const std::string kEmpty;
  return words_.empty() ? kEmpty : words_[source_.Below(words_.size())];
}

void AddWords(const Data::DataDefinitionPtr& definition, std::vector<std::string>& words) {
  std::set<std::string> known(words.begin(), words.end());
  const auto add = [&](const std::string& word) {
    if (known.insert(word).second) words.push_back(word);
  };
  std::set<const DataDefinition*> seen;
  std::vector<const DataDefinition*> pending{definition.get()};
  std::vector<std::shared_ptr<const Data::StructDefinition>> targets;
  while (!pending.empty()) {
    const DataDefinition* current = pending.back();
    pending.pop_back();
    if (current == nullptr || !seen.insert(current).second) continue;
    switch (current->GetType()) {
      case DefinitionType::LIST:
        pending.push_back(static_cast<const Data::ListDefinition&>(*current).GetElement().get());
        break;
      case DefinitionType::OPTIONAL:
        pending.push_back(
            static_cast<const Data::OptionalDefinition&>(*current).GetElement().get());
        break;
      case DefinitionType::STRUCT_REF:
        targets.push_back(static_cast<const Data::StructRefDefinition&>(*current).GetTarget());
        pending.push_back(targets.back().get());
        break;
      case DefinitionType::STRUCTURE: {
        const auto& structure = static_cast<const Data::StructDefinition&>(*current);
        add(structure.GetName());
        for (const auto& field : structure.GetFields()) {
          add(field.first);
          pending.push_back(field.second.get());
        }
        break;
      }
      default:
        break;
    }
  }
}

bool SameValue(const DataValuePtr& a, const DataValuePtr& b) {
  if (Data::Equals(a, b)) return true;
  const std::string text = Data::ToText(a);
  return text.find("nan") != std::string::npos && text == Data::ToText(b);
}

}  // namespace Fuzz
}  // namespace Jorv
