#pragma once
// The kinds of native types that records are made of, classified once. Each conversion engine
// picks its method for a type from this list, in this order:
//
//   primitive        std::string, long long, double, Jorv::DateTime, Jorv::Void
//   enumeration      Jorv::Data::Enumeration<...>
//   record           a class with a nested AdapterHelper that lists its fields
//   shared record    std::shared_ptr<const R>, required: never null when written
//   list             std::list<E>
//   optional         boost::optional<E>
//   optional record  Jorv::OptionalPtr<const R>
//   string map       std::map<std::string, std::string>
//   opaque           Jorv::Data::Opaque
//
// Any other type is a compile-time error where a record lists it as a field.

#include <list>
#include <map>
#include <memory>
#include <string>
#include <type_traits>

#include <boost/optional.hpp>

#include "framework/core/data_value.h"
#include "framework/core/date_time.h"
#include "framework/core/opaque.h"
#include "framework/core/optional_ptr.h"
#include "framework/data/enumeration.h"

namespace Jorv {
namespace Data {

enum class NativeKind {
  kPrimitive,
  kEnumeration,
  kRecord,
  kSharedRecord,
  kList,
  kOptional,
  kOptionalRecord,
  kStringMap,
  kOpaque,
};

namespace detail {
template <class T, class = void>
struct HasAdapterHelper : std::false_type {};
template <class T>
struct HasAdapterHelper<T, std::void_t<typename T::AdapterHelper>> : std::true_type {};
}  // namespace detail

// NativeTraits<T>::kind, and for the composite kinds the Element type (the record of a shared
// or optional record, without const; the element of a list or optional).
template <class T, class = void>
struct NativeTraits {
  static_assert(detail::HasAdapterHelper<T>::value,
                "not a native kind: a field must be a primitive, an enumeration, a record, a "
                "list, an optional, a string map or an opaque value");
  static constexpr NativeKind kind = NativeKind::kRecord;
};

template <class T>
struct NativeTraits<
    T, std::enable_if_t<std::is_same<T, std::string>::value || std::is_same<T, long long>::value ||
                        std::is_same<T, double>::value || std::is_same<T, DateTime>::value ||
                        std::is_same<T, Void>::value>> {
  static constexpr NativeKind kind = NativeKind::kPrimitive;
};
template <class L>
struct NativeTraits<Enumeration<L>> {
  static constexpr NativeKind kind = NativeKind::kEnumeration;
};
template <class R>
struct NativeTraits<std::shared_ptr<const R>> {
  static constexpr NativeKind kind = NativeKind::kSharedRecord;
  using Element = R;
};
template <class E>
struct NativeTraits<std::list<E>> {
  static constexpr NativeKind kind = NativeKind::kList;
  using Element = E;
};
template <class E>
struct NativeTraits<boost::optional<E>> {
  static constexpr NativeKind kind = NativeKind::kOptional;
  using Element = E;
};
template <class R>
struct NativeTraits<OptionalPtr<const R>> {
  static constexpr NativeKind kind = NativeKind::kOptionalRecord;
  using Element = R;
};
template <>
struct NativeTraits<std::map<std::string, std::string>> {
  static constexpr NativeKind kind = NativeKind::kStringMap;
};
template <>
struct NativeTraits<Opaque> {
  static constexpr NativeKind kind = NativeKind::kOpaque;
};

// Whether a field of type T may be absent from a received structure.
template <class T>
constexpr bool IsOptionalField() {
  return NativeTraits<T>::kind == NativeKind::kOptional ||
         NativeTraits<T>::kind == NativeKind::kOptionalRecord;
}

}  // namespace Data
}  // namespace Jorv
