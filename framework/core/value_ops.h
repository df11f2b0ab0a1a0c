#pragma once
// Deep equality of data values and their one-line text form, for diagnostics and test output.
// Both walk the tree with an explicit work list: a value nested a million deep costs heap, not
// stack.

#include <iosfwd>
#include <string>

#include "framework/core/compound_value.h"

namespace Jorv {
namespace Data {

// Whether `a` and `b` are equal: the same type code, equal held values (doubles compared with
// ==, so NaN differs from itself), equal names and field maps for structures and errors, equal
// kinds and element sequences for lists, equal set flags and held values for optionals. Two
// null pointers are equal; a null and a non-null one are not. A value shared by both trees is
// equal to itself without being walked (a NaN included), and a pair of shared subtrees met
// again is not walked twice.
bool Equals(const DataValuePtr& a, const DataValuePtr& b);

// One line describing `value`:
//   integers and doubles as numbers, booleans as true/false, strings quoted with C escapes,
//   secrets as <secret>, blobs as blob[N], void as void, null pointers as null, unset
//   optionals as unset, set ones as some(...), lists as [a, b] (a map list as map[...]),
//   structures as name{field: value, ...} in field order, errors as error name{...}.
std::string ToText(const DataValuePtr& value);

// Writes ToText of the value; lets test frameworks and streams print values.
std::ostream& operator<<(std::ostream& out, const DataValue& value);

}  // namespace Data
}  // namespace Jorv
