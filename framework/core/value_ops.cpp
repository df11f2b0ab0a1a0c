#include "framework/core/value_ops.h"

#include <charconv>
#include <cstdio>
#include <ostream>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace Jorv {
namespace Data {
namespace {

// The held value of a primitive of class V.
template <class V>
const auto& Held(const DataValue& value) {
  return static_cast<const V&>(value).GetValue();
}

// Compares what `a` and `b` hold themselves, without their children, and queues the pairs of
// children still to be compared. Both have the same type code.
bool ShallowEquals(const DataValue& a, const DataValue& b,
                   std::vector<std::pair<const DataValuePtr*, const DataValuePtr*>>& pending) {
  switch (a.GetType()) {
    case DataType::VOID:
      return true;
    case DataType::INTEGER:
      return Held<IntegerValue>(a) == Held<IntegerValue>(b);
    case DataType::DOUBLE:
      return Held<DoubleValue>(a) == Held<DoubleValue>(b);
    case DataType::BOOLEAN:
      return Held<BooleanValue>(a) == Held<BooleanValue>(b);
    case DataType::STRING:
      return Held<StringValue>(a) == Held<StringValue>(b);
    case DataType::SECRET:
      return Held<SecretValue>(a) == Held<SecretValue>(b);
    case DataType::BLOB:
      return Held<BlobValue>(a) == Held<BlobValue>(b);
    case DataType::STRUCTURE:
    case DataType::DYNAMIC_STRUCTURE:
    case DataType::ERROR: {
      const auto& left = static_cast<const CompoundValue&>(a);
      const auto& right = static_cast<const CompoundValue&>(b);
      if (left.GetName() != right.GetName() ||
          left.GetFields().size() != right.GetFields().size()) {
        return false;
      }
      auto r = right.GetFields().begin();
      for (auto l = left.GetFields().begin(); l != left.GetFields().end(); ++l, ++r) {
        if (l->first != r->first) return false;
        pending.emplace_back(&l->second, &r->second);
      }
      return true;
    }
    case DataType::LIST: {
      const auto& left = static_cast<const ListValue&>(a);
      const auto& right = static_cast<const ListValue&>(b);
      if (left.GetKind() != right.GetKind() ||
          left.GetElements().size() != right.GetElements().size()) {
        return false;
      }
      auto r = right.GetElements().begin();
      for (auto l = left.GetElements().begin(); l != left.GetElements().end(); ++l, ++r) {
        pending.emplace_back(&*l, &*r);
      }
      return true;
    }
    case DataType::OPTIONAL: {
      const auto& left = static_cast<const OptionalValue&>(a);
      const auto& right = static_cast<const OptionalValue&>(b);
      if (left.IsSet() != right.IsSet()) return false;
      pending.emplace_back(&left.value(), &right.value());
      return true;
    }
  }
  return false;
}

bool HasChildren(DataType::EnumType type) {
  return DataType::IsCompound(type) || type == DataType::LIST || type == DataType::OPTIONAL;
}

// One step of printing: a piece of literal text, or a value (possibly null) to describe.
struct PrintStep {
  bool isText;
  std::string_view text;
  const DataValue* value;
};

PrintStep Text(std::string_view text) { return {true, text, nullptr}; }
PrintStep Value(const DataValuePtr& value) { return {false, {}, value.get()}; }

void AppendQuoted(const std::string& text, std::string& out) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
          char escaped[5];
          std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

// The shortest text that reads back as `value`; integral values keep a ".0" so they do not
// read as integers.
void AppendDouble(double value, std::string& out) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  out += text;
  if (text.find_first_not_of("-0123456789") == std::string_view::npos) out += ".0";
}

// Writes what `value` holds itself and queues the steps that print its children, last first.
void PrintShallow(const DataValue& value, std::string& out, std::vector<PrintStep>& pending) {
  switch (value.GetType()) {
    case DataType::VOID:
      out += "void";
      return;
    case DataType::INTEGER:
      out += std::to_string(Held<IntegerValue>(value));
      return;
    case DataType::DOUBLE:
      AppendDouble(Held<DoubleValue>(value), out);
      return;
    case DataType::BOOLEAN:
      out += Held<BooleanValue>(value) ? "true" : "false";
      return;
    case DataType::STRING:
      AppendQuoted(Held<StringValue>(value), out);
      return;
    case DataType::SECRET:
      out += "<secret>";
      return;
    case DataType::BLOB:
      out += "blob[" + std::to_string(Held<BlobValue>(value).size()) + "]";
      return;
    case DataType::STRUCTURE:
    case DataType::DYNAMIC_STRUCTURE:
    case DataType::ERROR: {
      const auto& compound = static_cast<const CompoundValue&>(value);
      if (value.GetType() == DataType::ERROR) out += "error ";
      out += compound.GetName();
      out += '{';
      pending.push_back(Text("}"));
      const auto& fields = compound.GetFields();
      for (auto field = fields.rbegin(); field != fields.rend(); ++field) {
        pending.push_back(Value(field->second));
        pending.push_back(Text(": "));
        pending.push_back(Text(field->first));
        if (std::next(field) != fields.rend()) pending.push_back(Text(", "));
      }
      return;
    }
    case DataType::LIST: {
      const auto& list = static_cast<const ListValue&>(value);
      out += list.GetKind() == 3 ? "map[" : "[";
      pending.push_back(Text("]"));
      const auto& elements = list.GetElements();
      for (auto element = elements.rbegin(); element != elements.rend(); ++element) {
        pending.push_back(Value(*element));
        if (std::next(element) != elements.rend()) pending.push_back(Text(", "));
      }
      return;
    }
    case DataType::OPTIONAL: {
      const auto& optional = static_cast<const OptionalValue&>(value);
      if (!optional.IsSet()) {
        out += "unset";
        return;
      }
      out += "some(";
      pending.push_back(Text(")"));
      pending.push_back(Value(optional.value()));
      return;
    }
  }
  out += "<type " + std::to_string(static_cast<int>(value.GetType())) + ">";
}

std::string Print(const DataValue* value) {
  std::string out;
  std::vector<PrintStep> pending{{false, {}, value}};
  while (!pending.empty()) {
    const PrintStep step = pending.back();
    pending.pop_back();
    if (step.isText) {
      out += step.text;
    } else if (step.value == nullptr) {
      out += "null";
    } else {
      PrintShallow(*step.value, out, pending);
    }
  }
  return out;
}

}  // namespace

bool Equals(const DataValuePtr& a, const DataValuePtr& b) {
  std::vector<std::pair<const DataValuePtr*, const DataValuePtr*>> pending{{&a, &b}};
  // Pairs of values that occur more than once in their trees and have been met already: each
  // is either equal or still pending, so meeting one again needs no second walk.
  std::set<std::pair<const DataValue*, const DataValue*>> seen;
  while (!pending.empty()) {
    const DataValuePtr& left = *pending.back().first;
    const DataValuePtr& right = *pending.back().second;
    pending.pop_back();
    if (left == right) continue;
    if (!left || !right || left->GetType() != right->GetType()) return false;
    if (HasChildren(left->GetType()) && left.use_count() > 1 && right.use_count() > 1 &&
        !seen.emplace(left.get(), right.get()).second) {
      continue;
    }
    if (!ShallowEquals(*left, *right, pending)) return false;
  }
  return true;
}

std::string ToText(const DataValuePtr& value) { return Print(value.get()); }

std::ostream& operator<<(std::ostream& out, const DataValue& value) { return out << Print(&value); }

}  // namespace Data
}  // namespace Jorv
