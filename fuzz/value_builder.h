#pragma once
// BuildValue: turns fuzzer bytes into data-value trees. Steered by a data definition, it mostly
// builds values of the shape that definition describes, in the writer's encoding or in one of
// the other encodings the reader accepts, and now and then a wrong kind, a missing or extra
// field, a string where a structure belongs, or an arbitrary value of any kind. It tells
// whether it kept to the writer's encoding, so a harness can expect a round trip to give the
// very same value back.
//
//   ByteSource source(data, size);
//   const Built built = BuildValue(source, words, definition);
//   if (built.canonical) { /* writing what was read must give built.value again */ }

#include <string>
#include <vector>

#include "framework/core/compound_value.h"
#include "framework/core/data_definition.h"
#include "fuzz/byte_source.h"

namespace Jorv {
namespace Fuzz {

struct BuildOptions {
  // Whether a slot may be left null (a malformed tree no peer can send, but one the readers
  // must survive).
  bool allowNull = false;
  // Nesting beyond which only leaves and the fields a definition requires are built.
  unsigned maxDepth = 24;
  // Whether an arbitrary value may be a chain of nested containers tens of thousands deep.
  bool deepChains = false;
};

struct Built {
  Data::DataValuePtr value;
  // Whether `value` is exactly what the native-to-value writer would produce for a record of
  // the definition, unknown fields included.
  bool canonical = true;
  // Whether a double that is NaN was built.
  bool hasNaN = false;
  // Whether an empty text was built: where a record is read from one, the record is the
  // default record, whose required record members are null.
  bool hasEmptyText = false;
};

// A new value steered by `definition`, or an arbitrary value when it is null. `words` are texts
// worth trying where a string goes (enumeration literals, field and structure names; see
// AddWords). Iterative: deep trees cost heap, not stack.
Built BuildValue(ByteSource& source, const std::vector<std::string>& words,
                 const Data::DataDefinitionPtr& definition, const BuildOptions& options = {});

// Appends to `words` the structure and field names found in `definition`, each once.
void AddWords(const Data::DataDefinitionPtr& definition, std::vector<std::string>& words);

// Whether two values are equal as Data::Equals has it, or print the same and hold a NaN: a round
// trip re-creates doubles, and a NaN never equals a new NaN.
bool SameValue(const Data::DataValuePtr& a, const Data::DataValuePtr& b);

}  // namespace Fuzz
}  // namespace Jorv
