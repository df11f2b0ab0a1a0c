#pragma once
// Jorv::Data::Enumeration: the value class of every enumeration of the bindings. It holds an
// enumerator and, when a peer sent a text that matches no literal, that text, so that reading
// and writing again gives back exactly what was received.
//
// An enumeration is declared as its literals and instantiated over them:
//
//   struct ColorLiterals {
//     static constexpr const char* kTypeName = "com.example.color";
//     enum Enumerator : std::uint32_t { RED, GREEN, _UNKNOWN };
//     struct Strings {
//       static constexpr const char* values[] = {"RED", "GREEN", "_UNKNOWN", nullptr};
//     };
//   };
//   using Color = Jorv::Data::Enumeration<ColorLiterals>;   // Color::RED, Color::Strings::values

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace Jorv {
namespace Data {

template <class Literals>
class Enumeration : public Literals {
 public:
  using Enumerator = typename Literals::Enumerator;
  static_assert(std::is_same<std::underlying_type_t<Enumerator>, std::uint32_t>::value,
                "enumerators are 32-bit unsigned indexes");

  // `_UNKNOWN` with an empty unknown text.
  Enumeration() = default;
  // `enumerator` with an empty unknown text.
  Enumeration(Enumerator enumerator) : enumerator_(enumerator) {}  // NOLINT: implicit by design

  // The enumerator of the first literal equal to `text` (exact, case-sensitive, in table
  // order) with an empty unknown text; `_UNKNOWN` keeping `text` when none is equal. "_UNKNOWN"
  // itself and the empty text both give `_UNKNOWN` with an empty unknown text.
  static Enumeration FromString(const std::string& text) {
    Enumeration result;
    for (std::uint32_t i = 0; Literals::Strings::values[i] != nullptr; ++i) {
      if (text == Literals::Strings::values[i]) {
        result.enumerator_ = static_cast<Enumerator>(i);
        return result;
      }
    }
    result.unknownText_ = text;
    return result;
  }

  // The text this enumeration travels as: the unknown text when the enumerator is `_UNKNOWN`
  // and the text is not empty, else the enumerator's literal. An enumerator beyond `_UNKNOWN`
  // has no literal and travels as "_UNKNOWN".
  std::string ToString() const {
    if (enumerator_ == Literals::_UNKNOWN && !unknownText_.empty()) return unknownText_;
    const auto index = static_cast<std::uint32_t>(
        enumerator_ <= Literals::_UNKNOWN ? enumerator_ : Literals::_UNKNOWN);
    return Literals::Strings::values[index];
  }

  Enumerator GetEnumerator() const { return enumerator_; }
  // The received text that matched no literal; empty otherwise.
  const std::string& GetUnknownText() const { return unknownText_; }

  friend bool operator==(const Enumeration& a, const Enumeration& b) {
    return a.enumerator_ == b.enumerator_ && a.unknownText_ == b.unknownText_;
  }
  friend bool operator!=(const Enumeration& a, const Enumeration& b) { return !(a == b); }

 private:
  Enumerator enumerator_ = Literals::_UNKNOWN;
  std::string unknownText_;
};

}  // namespace Data
}  // namespace Jorv
