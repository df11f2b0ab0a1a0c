#pragma once
// ValueBuilder: turns fuzzer bytes into data-value trees. Steered by a data definition, it
// mostly builds values of the shape that definition describes, in the writer's encoding or in
// one of the other encodings the reader accepts, and now and then a wrong kind, a missing or
// extra field, a string where a structure belongs, or an arbitrary value of any kind. It knows
// whether it kept to the writer's encoding, so a harness can expect a round trip to give the
// very same value back.
//
//   ByteSource source(data, size);
//   ValueBuilder builder(source, words);
//   DataValuePtr value = builder.Build(definition);
//   if (builder.Canonical()) { /* writing what was read must give `value` again */ }

#include <cstddef>
#include <string>
#include <vector>

#include "framework/core/compound_value.h"
#include "framework/core/data_definition.h"
#include "fuzz/byte_source.h"

namespace Jorv {
namespace Fuzz {

class ValueBuilder {
 public:
  struct Options {
    // Whether a slot may be left null (a malformed tree no peer can send, but one the readers
    // must survive).
    bool allowNull = false;
    // Nesting beyond which only leaves and the fields a definition requires are built.
    unsigned maxDepth = 24;
    // Whether an arbitrary value may be a chain of nested containers tens of thousands deep.
    bool deepChains = false;
  };

  // `words` are texts worth trying where a string goes (enumeration literals, field and
  // structure names; see AddWords). `source` and `words` must outlive the builder.
  ValueBuilder(ByteSource& source, const std::vector<std::string>& words);
  ValueBuilder(ByteSource& source, const std::vector<std::string>& words, Options options);

  // A new value steered by `definition`, or an arbitrary value when it is null. Iterative: deep
  // trees cost heap, not stack.
  Data::DataValuePtr Build(const Data::DataDefinitionPtr& definition);

  // Whether everything built since construction is exactly what the native-to-value writer
  // would produce for a record of the definition, unknown fields included.
  bool Canonical() const { return canonical_; }
  // Whether a double that is NaN, or a text that parses as one, was built.
  bool HasNaN() const { return hasNaN_; }

 private:
  struct Work {
    const Data::DataDefinition* definition;  // null for an arbitrary value
    Data::DataValuePtr* slot;
    unsigned depth;
  };

  void Step(const Work& work);
  void Arbitrary(const Work& work);
  // An arbitrary value of a leaf kind (void, integer, double, boolean, string, blob, secret).
  Data::DataValuePtr Leaf(Data::DefinitionType::EnumType type);
  void Structure(const Work& work, const Data::StructDefinition& definition);
  void List(const Work& work, const Data::ListDefinition& definition);
  void Map(const Work& work);
  void Optional(const Work& work, const Data::OptionalDefinition& definition);
  void Integer(const Work& work);
  void Double(const Work& work);
  void DateTime(const Work& work);
  void String(const Work& work);
  void DeepChain(const Work& work);

  // Texts of every flavour: raw bytes, words, numbers, date-times.
  std::string AnyText();
  std::string NumberText();
  std::string DateTimeText();
  const std::string& Word();

  void Push(const Data::DataDefinition* definition, Data::DataValuePtr* slot, unsigned depth) {
    pending_.push_back({definition, slot, depth});
  }
  void NotCanonical() { canonical_ = false; }

  ByteSource& source_;
  const std::vector<std::string>& words_;
  Options options_;
  std::vector<Work> pending_;
  bool canonical_ = true;
  bool hasNaN_ = false;
};

// Appends to `words` the structure and field names found in `definition`, each once.
void AddWords(const Data::DataDefinitionPtr& definition, std::vector<std::string>& words);

// Whether two values are equal as Data::Equals has it, or print the same and hold a NaN: a round
// trip re-creates doubles, and a NaN never equals a new NaN.
bool SameValue(const Data::DataValuePtr& a, const Data::DataValuePtr& b);

}  // namespace Fuzz
}  // namespace Jorv
