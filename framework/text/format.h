#pragma once
// The brace-placeholder formatter that fills the default text of a message, and the error
// category that names its failures. "{1}" inserts the first argument, "{}" the next one in
// turn, "{1:-8}" applies printf flags, width and precision; "{{" and "}}" are literal braces.

#include <cstddef>
#include <ostream>
#include <string>
#include <system_error>

#include <boost/utility/string_view.hpp>

namespace Jorv {

// Error codes of the formatter.
enum class FormatError {
  kNamedArgumentNotFound = 1,
  kEmptyNamedSpecifier = 2,
  kMoreSpecifiersThanExpected = 3,
};

// The category "JORV Format Error". Its one instance is made on first use, thread-safely.
class FormatCategory : public std::error_category {
 public:
  const char* name() const noexcept override;
  std::string message(int code) const override;
};

// The single FormatCategory instance; lives from first use to process exit.
const std::error_category& GetFormatCategory();

namespace Detail {

template <class T, bool IsNamed>
struct formatter;

// Writes one string argument under a placeholder's spec.
template <>
struct formatter<std::string, false> {
  // An empty spec or "s" writes the whole string, embedded NULs included. A spec made of
  // printf flags ("-+ #0"), width and precision (at most 13 characters, width and precision
  // at most 6 digits each) formats the string up to its first NUL as printf's "%<spec>s"
  // would. Any other spec writes the string unformatted: a spec is never handed to printf
  // unchecked.
  static void call(std::ostream& out, boost::basic_string_view<char> spec, const void* argument);
};

// Formats `templateText` with `count` string arguments. Never throws; a placeholder whose
// argument number is past the last argument ends the text there, and `error` (when given)
// is then set to kMoreSpecifiersThanExpected; otherwise it is cleared.
std::string FormatTemplate(const std::string& templateText, const std::string* const* args,
                           std::size_t count, std::error_code* error = nullptr);

}  // namespace Detail
}  // namespace Jorv
