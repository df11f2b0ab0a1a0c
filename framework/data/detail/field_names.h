#pragma once
// The declared field names of a record, sorted by byte order at compile time from the record's
// one field list. The value writer creates a structure's field slots in this order; the value
// reader merges them with a received structure's sorted field map to find each declared field
// and the fields the record does not declare, in one pass.

#include <array>
#include <cstddef>
#include <utility>

#include <boost/utility/string_view.hpp>

namespace Jorv {
namespace Data {
namespace detail {

struct FieldCounter {
  std::size_t count = 0;
  template <class R, class M, class... Annotations>
  constexpr void Field(const char*, M R::*, const Annotations&...) {
    ++count;
  }
};

template <class T>
constexpr std::size_t FieldCount() {
  FieldCounter counter;
  T::AdapterHelper::AddFields(counter);
  return counter.count;
}

template <std::size_t N>
struct FieldNameCollector {
  std::array<boost::string_view, N> names{};
  std::size_t count = 0;
  template <class R, class M, class... Annotations>
  constexpr void Field(const char* name, M R::*, const Annotations&...) {
    names[count++] = boost::string_view(name);
  }
};

// A record's field names sorted by byte order, each with its position in the field list.
template <std::size_t N>
struct SortedFields {
  std::array<boost::string_view, N> names{};
  std::array<std::size_t, N> declared{};
};

template <class T>
constexpr SortedFields<FieldCount<T>()> SortFields() {
  FieldNameCollector<FieldCount<T>()> collector;
  T::AdapterHelper::AddFields(collector);
  SortedFields<FieldCount<T>()> sorted;
  for (std::size_t i = 0; i < sorted.names.size(); ++i) {
    sorted.names[i] = collector.names[i];
    sorted.declared[i] = i;
  }
  auto& names = sorted.names;
  auto& declared = sorted.declared;
  for (std::size_t i = 1; i < names.size(); ++i) {
    for (std::size_t j = i; j > 0 && names[j] < names[j - 1]; --j) {
      const boost::string_view swapName = names[j];
      names[j] = names[j - 1];
      names[j - 1] = swapName;
      const std::size_t swapIndex = declared[j];
      declared[j] = declared[j - 1];
      declared[j - 1] = swapIndex;
    }
  }
  return sorted;
}

template <class T>
constexpr std::array<boost::string_view, FieldCount<T>()> SortedFieldNames() {
  return SortFields<T>().names;
}

template <std::size_t N>
constexpr bool AllDistinct(const std::array<boost::string_view, N>& sorted) {
  for (std::size_t i = 1; i < N; ++i) {
    if (sorted[i] == sorted[i - 1]) return false;
  }
  return true;
}

template <class T, class Indexes = std::make_index_sequence<FieldCount<T>()>>
struct KnownNames;

// KnownNames<T>::value: the sorted names as the array the unknown-fields collector takes;
// declared[i]: the position of value[i] in the record's field list.
template <class T, std::size_t... I>
struct KnownNames<T, std::index_sequence<I...>> {
  static constexpr SortedFields<sizeof...(I)> fields = SortFields<T>();
  static constexpr std::array<boost::string_view, sizeof...(I)> sorted = fields.names;
  static_assert(AllDistinct(sorted), "a record lists the same wire name twice");
  static constexpr boost::string_view value[] = {sorted[I]...};
  static constexpr std::size_t declared[] = {fields.declared[I]...};
};

}  // namespace detail
}  // namespace Data
}  // namespace Jorv
