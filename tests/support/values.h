#pragma once
// Short builders for data values in tests (strings, integers, optionals, lists, structures,
// map entries, the test Leaf record) and a helper that writes a native object with the
// native-to-value engine.

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <string>
#include <utility>

#include "framework/core/compound_value.h"
#include "framework/core/localization.h"
#include "framework/data/native_to_value.h"
#include "support/test_records.h"

namespace Jorv {
namespace Testing {

inline Data::DataValuePtr Str(const std::string& s) { return Data::StringValue::GetInstance(s); }
inline Data::DataValuePtr Int(long long v) { return Data::DataValue::Create(v); }
inline Data::DataValuePtr Real(double v) { return Data::DataValue::Create(v); }
inline Data::DataValuePtr Unset() { return Data::OptionalValue::GetInstance(); }
inline Data::DataValuePtr Some(Data::DataValuePtr v) {
  auto o = Data::OptionalValue::GetInstance();
  o->value(std::move(v));
  return o;
}
// A list value of list kind `kind` (1 for lists, 3 for maps).
inline Data::DataValuePtr List(int kind, std::list<Data::DataValuePtr> elements) {
  auto l = Data::ListValue::GetInstance(kind);
  for (auto& e : elements) l->Append(e);
  return l;
}
inline Data::DataValuePtr Struct(const std::string& name,
                                 std::map<std::string, Data::DataValuePtr> fields) {
  auto s = Data::StructValue::GetInstance(name);
  for (auto& f : fields) s->SetField(f.first, f.second);
  return s;
}
inline Data::DataValuePtr LeafValue(const std::string& name, long long number) {
  return Struct(TestRecords::Leaf::kTypeName, {{"name", Str(name)}, {"number", Int(number)}});
}
inline Data::DataValuePtr MapEntry(const std::string& k, const std::string& v) {
  return Struct("map-entry", {{"key", Str(k)}, {"value", Str(v)}});
}

// Writes `native` with the native-to-value engine; returns what Adapt returns.
template <class T>
bool Write(const T& native, Data::DataValuePtr& out, std::list<BaseMessage>& messages) {
  return Data::NativeToValueAdapter::Adapt(
      &native, Data::NativeToValueAdapter::AdaptMethod<T>::Get(&native), &out, messages,
      L10n::RequestLocalizerHelper::GetDefaultRequestLocalizer());
}

// Writes `native`, expecting success without messages.
template <class T>
Data::DataValuePtr WriteOk(const T& native) {
  Data::DataValuePtr out;
  std::list<BaseMessage> messages;
  EXPECT_TRUE(Write(native, out, messages));
  EXPECT_TRUE(messages.empty());
  return out;
}

}  // namespace Testing
}  // namespace Jorv
