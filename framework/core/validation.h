#pragma once
// Validation of a data value against a data definition: whether the value reader would read
// the value structurally, with the names of structures checked on top. The provider side judges
// inputs, outputs and errors with it before they travel on.
//
//   if (auto failure = Validate(definition, value)) report(failure->path, failure->message);

#include <string>

#include <boost/optional.hpp>

#include "framework/core/compound_value.h"
#include "framework/core/data_definition.h"
#include "framework/text/message.h"

namespace Jorv {
namespace Data {

// Where a value does not conform and why. The path names the place from the root: fields
// joined with ".", list elements as "[i]" counted from 0, optionals adding nothing, such as
// "spec.instances[2].chandle"; the root itself is the empty path.
struct ValidationFailure {
  std::string path;
  BaseMessage message;
};

// Checks `value` against `definition`. Returns none when it conforms, otherwise the first
// offending place in depth-first order (fields in name order, elements in list order; a
// structure's name and required fields are judged before the contents of its fields).
//
// Accepted encodings, per definition kind:
// - string: a string value. integer, double, boolean: a value of that kind or a string that
//   parses as one ("jorv.data.validation.parse" otherwise). date-time: an RFC 3339 string.
//   void, blob, secret: a value of that kind. opaque: any value.
// - optional: an unset optional; a set one whose held value conforms to the element; an empty
//   string (unset); any other value, checked against the element itself.
// - list: a list of any list kind whose elements conform; an empty string (empty list); a
//   non-empty string, checked against the element (a list of one). A list of structures named
//   "map-entry" (a string map) takes a list of structures (code 9) with string fields "key"
//   and "value", or a structure whose every field is a string; a non-empty string fails.
// - structure: an empty string (the default record), or a structure, dynamic structure or
//   error value of the definition's name holding every field whose definition is not optional;
//   fields the definition does not declare are ignored.
// - structure reference: checked against its target ("jorv.data.validation.unresolved" when it
//   has none).
// A null value fails everywhere ("jorv.data.validation.kind", found kind "null").
//
// Iterative: a value nested a million deep costs heap, not stack. Reads `definition` and
// `value` only; safe to call from several threads on shared values.
boost::optional<ValidationFailure> Validate(const DataDefinitionPtr& definition,
                                            const DataValuePtr& value);

}  // namespace Data
}  // namespace Jorv
