#pragma once
// Template bodies of DataValue::Create, Value and ToPrimitive. Include data_value.h instead.

#include <string>
#include <type_traits>

#include "framework/core/data_value.h"

namespace Jorv {
namespace Data {
namespace detail {

// How one native primitive travels: the value class that carries it, and how its held value
// and a string's text are read into the native type.
template <class T>
struct PrimitiveTraits;

template <>
struct PrimitiveTraits<std::string> {
  using ValueClass = StringValue;
  static constexpr const char* kKind = "string";
  static std::shared_ptr<StringValue> Make(const std::string& v, ValueArena* arena) {
    return StringValue::GetInstance(v, arena);
  }
  static bool FromHeld(const std::string& held, std::string& out) {
    out = held;
    return true;
  }
  static bool Parse(const std::string& text, std::string& out) { return FromHeld(text, out); }
};

template <>
struct PrimitiveTraits<long long> {
  using ValueClass = IntegerValue;
  static constexpr const char* kKind = "integer";
  static std::shared_ptr<IntegerValue> Make(long long v, ValueArena* arena) {
    return IntegerValue::GetInstance(v, arena);
  }
  static bool FromHeld(long long held, long long& out) {
    out = held;
    return true;
  }
  static bool Parse(const std::string& text, long long& out);
};

template <>
struct PrimitiveTraits<double> {
  using ValueClass = DoubleValue;
  static constexpr const char* kKind = "double";
  static std::shared_ptr<DoubleValue> Make(double v, ValueArena* arena) {
    return DoubleValue::GetInstance(v, arena);
  }
  static bool FromHeld(double held, double& out) {
    out = held;
    return true;
  }
  static bool Parse(const std::string& text, double& out);
};

template <>
struct PrimitiveTraits<bool> {
  using ValueClass = BooleanValue;
  static constexpr const char* kKind = "boolean";
  static std::shared_ptr<BooleanValue> Make(bool v, ValueArena* arena) {
    return BooleanValue::GetInstance(v, arena);
  }
  static bool FromHeld(bool held, bool& out) {
    out = held;
    return true;
  }
  static bool Parse(const std::string& text, bool& out);
};

template <>
struct PrimitiveTraits<DateTime> {
  using ValueClass = StringValue;
  static constexpr const char* kKind = "date-time";
  static std::shared_ptr<StringValue> Make(const DateTime& v, ValueArena* arena) {
    return StringValue::GetInstance(v.ToString(), arena);
  }
  static bool FromHeld(const std::string& held, DateTime& out) { return Parse(held, out); }
  static bool Parse(const std::string& text, DateTime& out) {
    const auto parsed = DateTime::Parse(text);
    if (parsed) out = *parsed;
    return parsed.has_value();
  }
};

template <>
struct PrimitiveTraits<Void> {
  using ValueClass = VoidValue;
  static constexpr const char* kKind = "void";
  static std::shared_ptr<VoidValue> Make(const Void&, ValueArena* arena) {
    return VoidValue::GetInstance(arena);
  }
  static bool Parse(const std::string&, Void&) { return false; }
};

}  // namespace detail

template <class T>
DataValuePtr DataValue::Create(const T& value, ValueArena* arena) {
  return detail::PrimitiveTraits<T>::Make(value, arena);
}

template <class T>
bool DataValue::Value(const DataValuePtr& value, T& out, std::list<BaseMessage>& messages) {
  using Traits = detail::PrimitiveTraits<T>;
  using ValueClass = typename Traits::ValueClass;
  if (!value || value->GetType() != ValueClass::kType) {
    AppendTypeMismatch(ValueClass::kType, value, messages);
    return false;
  }
  if constexpr (std::is_same<T, Void>::value) {
    return true;  // the void value holds nothing to read
  } else {
    const auto& held = static_cast<const ValueClass&>(*value).GetValue();
    if (!Traits::FromHeld(held, out)) {
      // Only a held text can fail to read (a malformed date-time).
      if constexpr (std::is_same<std::decay_t<decltype(held)>, std::string>::value) {
        AppendParseFailure(held, Traits::kKind, messages);
      }
      return false;
    }
    return true;
  }
}

template <class T>
bool DataValue::ToPrimitive(const DataValuePtr& value, T& out, std::list<BaseMessage>& messages) {
  using Traits = detail::PrimitiveTraits<T>;
  if (!value || value->GetType() != DataType::STRING) return Value(value, out, messages);
  const std::string& text = static_cast<const StringValue&>(*value).GetValue();
  if (!Traits::Parse(text, out)) {
    AppendParseFailure(text, Traits::kKind, messages);
    return false;
  }
  return true;
}

}  // namespace Data
}  // namespace Jorv
