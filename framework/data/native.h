#pragma once
// What every native record shares: the unknown-fields member that keeps what a newer peer
// sent and this record does not declare, the type hooks through which the conversion engines
// know a record, and the untyped pointers through which the engines hand natives around.
//
// A record declares its wire identifier and its field list once; the list is a template over
// the helper of each engine, so that writing, reading and defining all walk the same fields:
//
//   struct Point : Jorv::Data::BaseNative {
//     static constexpr const char* kTypeName = "com.example.point";
//     long long x = 0;
//     boost::optional<long long> y;
//     struct AdapterHelper {
//       template <class Fields>
//       static constexpr void AddFields(Fields& f) {
//         f.Field("x", &Point::x);
//         f.Field("y", &Point::y);
//       }
//     };
//   };

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <boost/utility/string_view.hpp>

#include "framework/core/compound_value.h"
#include "framework/data/detail/field_names.h"

namespace Jorv {

// An untyped pointer to a const native object; the method it is handed to knows its type.
using NativeConstPtr = const void*;
// An untyped pointer to a mutable native object.
using NativePtr = void*;

namespace Data {

// The base of every record that keeps unknown fields. Adds one member and no virtual functions.
class BaseNative {
 public:
  // The fields of a received structure that the record does not declare, in a structure value
  // named "unknownFields"; null when there were none. Written back when the record is written.
  std::shared_ptr<StructValue> unknownFields;

  struct AdapterHelper {
    // Sets each stored unknown field of `native` on `target`, in ascending name order.
    static void AddUnknownFields(const BaseNative& native,
                                 const std::shared_ptr<StructValue>& target);

    // Stores in `unknownFields` every field of `source` whose name is not among `knownNames`
    // (sorted ascending by byte), sharing the values; creates the structure "unknownFields"
    // at the first such field. A null `source` stores nothing.
    template <std::size_t N>
    static void AddUnknownFields(const boost::basic_string_view<char> (&knownNames)[N],
                                 const std::shared_ptr<const CompoundValue>& source,
                                 std::shared_ptr<StructValue>& unknownFields) {
      CollectUnknownFields(knownNames, N, source, unknownFields);
    }
    // The same for a record that declares no fields.
    static void AddUnknownFields(const std::shared_ptr<const CompoundValue>& source,
                                 std::shared_ptr<StructValue>& unknownFields) {
      CollectUnknownFields(nullptr, 0, source, unknownFields);
    }

   private:
    static void CollectUnknownFields(const boost::basic_string_view<char>* knownNames,
                                     std::size_t count,
                                     const std::shared_ptr<const CompoundValue>& source,
                                     std::shared_ptr<StructValue>& unknownFields);
  };
};

// The type hooks of a native type: its wire identifier, and a new default instance for
// value-to-native conversion to fill. Records and enumerations declare `kTypeName`; a type
// can also specialise TypeInfo.
template <class T>
struct TypeInfo {
  static std::string name() { return T::kTypeName; }
  // A new default-constructed T; the value it will be read from is not looked at.
  static std::shared_ptr<T> defaultInstance(const DataValuePtr& /*source*/) {
    return std::make_shared<T>();
  }
};

// TypeInfo<T>::name() made once, shared by every structure written for T. The text is never
// destroyed, so the shared pointer owns nothing and copying it counts no references.
template <class T>
const CompoundValue::SharedName& SharedTypeName() {
  static const std::string* const text = new std::string(TypeInfo<T>::name());
  static const CompoundValue::SharedName name(CompoundValue::SharedName(), text);
  return name;
}

// The declared field names of record T in byte order (as detail::KnownNames<T>::value), made
// once and never destroyed, so that the structures written for T refer to them. T declares at
// least one field.
template <class T>
const FieldNames& LastingFieldNames() {
  static const FieldNames* const names = new FieldNames(std::vector<std::string>(
      std::begin(detail::KnownNames<T>::value), std::end(detail::KnownNames<T>::value)));
  return *names;
}

// The number of fields that record T lists.
template <class T>
constexpr std::size_t FieldCount() {
  return detail::FieldCount<T>();
}

}  // namespace Data
}  // namespace Jorv
