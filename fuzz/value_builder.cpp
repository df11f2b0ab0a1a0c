#include "fuzz/value_builder.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <set>
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

// No expression makes two reads of the source in an order the language leaves open: the order of
// reads must not depend on the compiler, so that an input the fuzzer found builds the same value
// in the replay.
class Builder {
 public:
  Builder(ByteSource& source, const std::vector<std::string>& words, const BuildOptions& options)
      : source_(source), words_(words), options_(options) {}

  Built Build(const DataDefinition* definition) {
    for (Push(definition, &built_.value, 0); !pending_.empty();) {
      const Work work = pending_.back();
      pending_.pop_back();
      Step(work);
    }
    return built_;
  }

 private:
  struct Work {
    const DataDefinition* definition;  // null for an arbitrary value
    DataValuePtr* slot;
    unsigned depth;
  };

  void Push(const DataDefinition* definition, DataValuePtr* slot, unsigned depth) {
    pending_.push_back({definition, slot, depth});
  }
  void NotCanonical() { built_.canonical = false; }
  // A value of any kind where the definition asks for one kind.
  void WrongKind(const Work& work) {
    NotCanonical();
    Arbitrary(work);
  }
  void Set(const Work& work, DataValuePtr value) { *work.slot = std::move(value); }
  // Stores `value` in `slot` and returns it, for its own slots to be filled.
  template <class V>
  static std::shared_ptr<V> Put(DataValuePtr* slot, std::shared_ptr<V> value) {
    *slot = value;
    return value;
  }
  bool Deep(const Work& work) const { return work.depth > options_.maxDepth; }

  DataValuePtr Text(std::string text) {
    if (text.empty()) built_.hasEmptyText = true;
    return Data::StringValue::GetInstance(std::move(text));
  }
  // A structure, a dynamic structure or an error value of that name.
  std::shared_ptr<Data::CompoundValue> Compound(std::size_t kind, const std::string& name) {
    if (kind == 1) return Data::StructValue::GetDynamicInstance(name);
    if (kind == 2) return Data::ErrorValue::GetInstance(name);
    return Data::StructValue::GetInstance(name);
  }
  // A string map entry in the writer's encoding, its value any text.
  DataValuePtr MapEntry(const std::string& key) {
    auto entry = Data::StructValue::GetInstance(kMapEntryName);
    entry->SetField("key", Text(key));
    entry->SetField("value", Text(AnyText()));
    return entry;
  }

  // Fills one slot: a value of the definition's kind, or of any kind where no definition or an
  // opaque one steers.
  void Step(const Work& work) {
    const auto type = work.definition ? work.definition->GetType() : DefinitionType::OPAQUE;
    if (type == DefinitionType::OPAQUE) return Arbitrary(work);
    if (!Deep(work) && source_.OneIn(24)) return WrongKind(work);
    if (type == DefinitionType::STRING || type == DefinitionType::DATE_TIME) {
      return String(work, type == DefinitionType::DATE_TIME);
    }
    if (type == DefinitionType::LIST) return List(work);
    if (type == DefinitionType::OPTIONAL) return Optional(work);
    if (type == DefinitionType::STRUCTURE) {
      return Structure(work, static_cast<const Data::StructDefinition&>(*work.definition));
    }
    if (type != DefinitionType::STRUCT_REF) return Scalar(work, type);
    const auto target = static_cast<const Data::StructRefDefinition&>(*work.definition).GetTarget();
    if (target) return Structure(work, *target);
    WrongKind(work);  // a reference left unresolved
  }

  // Mostly a structure of the definition's name; now and then a dynamic structure, an error
  // value, a structure of another name or a text (the empty one reads as the default record).
  // A field may be missing (a required one fails to read, an optional one reads as unset) and
  // unknown fields may come along.
  void Structure(const Work& work, const Data::StructDefinition& definition) {
    const bool deep = Deep(work);
    const std::size_t form = deep ? 0 : source_.Below(16);
    if (form >= 12) NotCanonical();
    if (form == 15) return Set(work, Text(source_.OneIn(2) ? std::string() : AnyText()));
    const auto compound = Put(work.slot, Compound(form < 12 ? 0 : form - 12,
                                                  form == 12 ? AnyText() : definition.GetName()));
    const auto& declared = definition.GetFields();
    for (const auto& field : declared) {
      if (!deep && source_.OneIn(24)) {
        NotCanonical();
        continue;
      }
      Push(field.second.get(), compound->CreateSlot(field.first), work.depth + 1);
    }
    const std::size_t extras = deep || !source_.OneIn(6) ? 0 : 1 + source_.Below(3);
    for (std::size_t extra = 0; extra < extras; ++extra) {
      const std::string name = AnyText();
      if (declared.count(name) != 0) continue;
      // Method inputs are the one kind of structure whose record keeps no unknown fields.
      if (definition.GetName() == Std::kOperationInputName) NotCanonical();
      Push(nullptr, compound->CreateSlot(name), work.depth + 1);
    }
  }

  // Mostly a list of kind 1, or for a string map its entries in the writer's encoding: unique
  // keys in ascending order in a list of kind 3. Now and then a list of any kind, the empty
  // text or the bare element (a one-element list when it is a text); for a string map also entries
  // built one by one (repeated and unordered keys, malformed entries) or the entries as the fields
  // of one structure.
  void List(const Work& work) {
    const auto& element = static_cast<const Data::ListDefinition&>(*work.definition).GetElement();
    const bool map =
        element && element->GetType() == DefinitionType::STRUCTURE &&
        static_cast<const Data::StructDefinition&>(*element).GetName() == kMapEntryName;
    const bool deep = Deep(work);
    const std::size_t form = deep ? 0 : source_.Below(16);
    if (form >= (map ? 8u : 12u)) NotCanonical();
    if (form == 12) return Set(work, Text(""));
    if (form == 13) return Push(element.get(), work.slot, work.depth + 1);
    std::size_t count = deep ? 0 : source_.Below(4);
    if (count == 3 && source_.OneIn(3)) count = source_.Below(40);
    if (map && form < 8) {
      std::set<std::string> keys;
      for (; count > 0; --count) keys.insert(AnyText());
      const auto list = Put(work.slot, Data::ListValue::GetInstance(3));
      for (const std::string& key : keys) list->Append(MapEntry(key));
      return;
    }
    if (map && form == 11) {
      const std::size_t kind = source_.Below(2);  // static or dynamic
      const auto structure = Put(work.slot, Compound(kind, Word()));
      const auto& entry = static_cast<const Data::StructDefinition&>(*element);
      for (; count > 0; --count) {
        Push(entry.GetFields().begin()->second.get(), structure->CreateSlot(AnyText()),
             work.depth + 1);
      }
      return;
    }
    const int kind = form >= 14 ? static_cast<int>(source_.Below(5)) : map ? 3 : 1;
    const auto list = Put(work.slot, Data::ListValue::GetInstance(kind));
    for (; count > 0; --count) Push(element.get(), list->AppendSlot(), work.depth + 1);
  }

  // Unset, set, or now and then the bare element (which reads as a set optional) or the empty
  // text (which reads as an unset one).
  void Optional(const Work& work) {
    const auto* element =
        static_cast<const Data::OptionalDefinition&>(*work.definition).GetElement().get();
    const std::size_t form = Deep(work) ? 0 : source_.Below(8);
    if (form >= 6) NotCanonical();
    if (form == 7) return Set(work, Text(""));
    if (form == 6) return Push(element, work.slot, work.depth + 1);
    const auto optional = Put(work.slot, Data::OptionalValue::GetInstance());
    if (form >= 3) Push(element, optional->value(nullptr), work.depth + 1);
  }

  // A leaf of the definition's kind; a number now and then as a text, which the reader accepts.
  void Scalar(const Work& work, DefinitionType::EnumType type) {
    const bool number = type == DefinitionType::INTEGER || type == DefinitionType::DOUBLE;
    if (!number || !source_.OneIn(8)) return Set(work, Leaf(type));
    NotCanonical();
    Set(work, Text(NumberText()));
  }

  // A string is mostly a word, else any text or the empty text (which reads as an enumeration's
  // default and writes back as its literal). A date-time is mostly the writer's text of an
  // instant with a four-digit year, else that of any instant or a text that may or may not parse.
  void String(const Work& work, bool dateTime) {
    const std::size_t form = source_.Below(16);
    std::string text;
    if (!dateTime) {
      text = form < 8 ? Word() : form == 15 ? std::string() : AnyText();
    } else if (form < 8) {
      const auto span = static_cast<std::uint64_t>(kEndMillis - kFirstMillis);
      const auto bits = source_.Bits(8);
      const auto millis = form == 7 ? static_cast<std::int64_t>(bits)
                                    : kFirstMillis + static_cast<std::int64_t>(bits % span);
      text = Jorv::DateTime::FromMillisSinceEpoch(millis).ToString();
    } else {
      text = DateTimeText();
    }
    const auto parsed = Jorv::DateTime::Parse(text);
    if (text.empty() || (dateTime && (!parsed || parsed->ToString() != text))) NotCanonical();
    Set(work, Text(text));
  }

  // A value of a leaf kind: void, integer, double, boolean, string (any text, also for a
  // date-time), blob or secret. A number is any bit pattern or now and then an edge value (the
  // limits, NaNs, infinities, a subnormal, minus zero).
  DataValuePtr Leaf(DefinitionType::EnumType type) {
    using Limits = std::numeric_limits<double>;
    static constexpr long long kIntegers[] = {LLONG_MIN, LLONG_MAX, 0, -1, INT_MIN, INT_MAX};
    static constexpr double kDoubles[] = {
        Limits::quiet_NaN(),  -Limits::quiet_NaN(), Limits::infinity(), -Limits::infinity(), -0.0,
        Limits::denorm_min(), Limits::max(),        Limits::lowest()};
    if (type == DefinitionType::INTEGER) {
      return Data::IntegerValue::GetInstance(
          source_.OneIn(4) ? kIntegers[source_.Below(6)] : static_cast<long long>(source_.Bits(8)));
    }
    if (type == DefinitionType::DOUBLE) {
      const double value = source_.OneIn(4) ? kDoubles[source_.Below(8)] : source_.RawDouble();
      if (std::isnan(value)) built_.hasNaN = true;
      return Data::DoubleValue::GetInstance(value);
    }
    if (type == DefinitionType::BOOLEAN) return Data::BooleanValue::GetInstance(source_.OneIn(2));
    if (type == DefinitionType::STRING || type == DefinitionType::DATE_TIME) return Text(AnyText());
    if (type == DefinitionType::SECRET) return Data::SecretValue::GetInstance(AnyText());
    if (type != DefinitionType::BLOB) return Data::VoidValue::GetInstance();
    const std::string bytes = source_.Bytes(16);
    return Data::BlobValue::GetInstance(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  }

  // A value of any kind: a leaf, an error value, a structure, a list of any kind, an optional,
  // a string map, a null slot where allowed, or a chain tens of thousands deep where allowed.
  void Arbitrary(const Work& work) {
    const std::size_t choice = source_.Below(Deep(work) ? 8 : 17);
    const unsigned depth = work.depth + 1;
    // The leaf kinds come first among the definition types.
    if (choice < 8) return Set(work, Leaf(static_cast<DefinitionType::EnumType>(choice)));
    if (choice <= 10) {
      const auto compound =
          Put(work.slot, Compound(choice - 8, source_.OneIn(2) ? Word() : AnyText()));
      for (std::size_t count = source_.Below(4); count > 0; --count) {
        Push(nullptr, compound->CreateSlot(AnyText()), depth);
      }
    } else if (choice <= 12 || choice == 14) {
      // A list of any kind, or a string map in the writer's encoding wherever it turns up.
      const int kind = choice == 14 ? 3 : static_cast<int>(source_.Below(5));
      const auto list = Put(work.slot, Data::ListValue::GetInstance(kind));
      for (std::size_t count = source_.Below(5); count > 0; --count) {
        if (choice == 14) {
          list->Append(MapEntry(AnyText()));
        } else {
          Push(nullptr, list->AppendSlot(), depth);
        }
      }
    } else if (choice == 13) {
      const auto optional = Put(work.slot, Data::OptionalValue::GetInstance());
      if (source_.OneIn(2)) Push(nullptr, optional->value(nullptr), depth);
    } else if (choice == 15) {
      Set(work, options_.allowNull ? DataValuePtr() : Data::VoidValue::GetInstance());
    } else if (options_.deepChains) {
      // Optionals, lists of kind 1, structures or all three in turn, up to 262140 deep: more
      // than any recursive walk survives on a stack.
      std::size_t length = source_.Bits(2);
      if (source_.OneIn(4)) length *= 4;
      const std::size_t shape = source_.Below(4);
      DataValuePtr* slot = work.slot;
      for (std::size_t i = 0; i < length; ++i) {
        const std::size_t kind = shape == 3 ? i % 3 : shape;
        if (kind == 0) {
          slot = Put(slot, Data::OptionalValue::GetInstance())->value(nullptr);
        } else if (kind == 1) {
          slot = Put(slot, Data::ListValue::GetInstance(1))->AppendSlot();
        } else {
          slot = Put(slot, Data::StructValue::GetInstance("chain"))->CreateSlot("next");
        }
      }
      Push(nullptr, slot, options_.maxDepth + 1);
    } else {
      Set(work, Text(AnyText()));
    }
  }

  // Raw bytes (invalid UTF-8 and NULs included), a word, a number text or a date-time text.
  std::string AnyText() {
    const std::size_t form = source_.Below(4);
    if (form == 0) return source_.Bytes(24);
    if (form == 1) return NumberText();
    if (form == 2) return DateTimeText();
    return Word();
  }

  // Up to `max` raw bytes, each replaced by a character of `alphabet`.
  std::string Chars(const std::string& alphabet, std::size_t max) {
    std::string text = source_.Bytes(max);
    for (char& c : text) c = alphabet[static_cast<unsigned char>(c) % alphabet.size()];
    return text;
  }

  // Any integer or double as the writer prints it, hexadecimal floats, edge and malformed texts,
  // and strings of the characters numbers are made of.
  std::string NumberText() {
    // Texts separated by '|', one picked from a random place.
    static const std::string kSpecial =
        "|nan|-nan|NaN|inf|-inf|infinity|1e999|-1e-999|9223372036854775807|9223372036854775808|"
        "-9223372036854775808|-9223372036854775809|+-1|0x|0x1p-1074|-0|00|1_000| 1|1 |+|-|"
        "0x.8p1|1e|.5|5.|+0x1|-0x1.fffffffffffffp1023|";
    const std::size_t form = source_.Below(5);
    if (form == 0) return std::to_string(static_cast<long long>(source_.Bits(8)));
    if (form == 1) return Chars("0123456789+-.eEpxX", 12);
    if (form == 2) {
      const std::size_t start = kSpecial.find('|', source_.Below(kSpecial.size() - 1));
      return kSpecial.substr(start + 1, kSpecial.find('|', start + 1) - start - 1);
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, form == 3 ? "%a" : "%.17g", source_.RawDouble());
    return buffer;
  }

  // The writer's form with any year, fields in and just out of range (leap seconds included),
  // every separator and zone the reader accepts and some it does not, digits of any fraction.
  std::string DateTimeText() {
    // Year, month, day, hour, minute, second, and the hours and minutes of an offset.
    static constexpr unsigned kFirst[] = {0, 1, 1, 0, 0, 0, 0, 0};
    static constexpr unsigned kCount[] = {10000, 13, 32, 25, 60, 62, 25, 61};
    unsigned fields[8];
    for (int i = 0; i < 8; ++i) fields[i] = kFirst[i] + source_.Below(kCount[i]);
    const char separator = "TTt x"[source_.Below(5)];
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u%c%02u:%02u:%02u", fields[0], fields[1],
                  fields[2], separator, fields[3], fields[4], fields[5]);
    std::string text = buffer;
    if (source_.OneIn(2)) text += "." + Chars("0123456789", 8);
    const std::size_t zone = source_.Below(6);
    if (zone < 3) return text + "ZZz"[zone];
    if (zone == 5) return text + source_.Bytes(3);
    std::snprintf(buffer, sizeof buffer, "%c%02u:%02u", zone == 3 ? '-' : '+', fields[6],
                  fields[7]);
    return text + buffer;
  }

  const std::string& Word() {
    static const std::string kEmpty;
    return words_.empty() ? kEmpty : words_[source_.Below(words_.size())];
  }

  ByteSource& source_;
  const std::vector<std::string>& words_;
  const BuildOptions options_;
  std::vector<Work> pending_;
  Built built_;
};

}  // namespace

Built BuildValue(ByteSource& source, const std::vector<std::string>& words,
                 const Data::DataDefinitionPtr& definition, const BuildOptions& options) {
  return Builder(source, words, options).Build(definition.get());
}

void AddWords(const Data::DataDefinitionPtr& definition, std::vector<std::string>& words) {
  std::set<std::string> known(words.begin(), words.end());
  // A structure reference names an enclosing structure, whose names are in already.
  std::vector<const DataDefinition*> pending{definition.get()};
  while (!pending.empty()) {
    const DataDefinition* current = pending.back();
    pending.pop_back();
    const auto type = current ? current->GetType() : DefinitionType::VOID;
    if (type == DefinitionType::LIST) {
      pending.push_back(static_cast<const Data::ListDefinition*>(current)->GetElement().get());
    } else if (type == DefinitionType::OPTIONAL) {
      pending.push_back(static_cast<const Data::OptionalDefinition*>(current)->GetElement().get());
    } else if (type == DefinitionType::STRUCTURE) {
      const auto& structure = static_cast<const Data::StructDefinition&>(*current);
      if (known.insert(structure.GetName()).second) words.push_back(structure.GetName());
      for (const auto& field : structure.GetFields()) {
        if (known.insert(field.first).second) words.push_back(field.first);
        pending.push_back(field.second.get());
      }
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
