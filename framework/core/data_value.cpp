#include "framework/core/data_value.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace Jorv {
namespace Data {

const char* DataType::Name(EnumType type) {
  switch (type) {
    case VOID:
      return "void";
    case INTEGER:
      return "integer";
    case DOUBLE:
      return "double";
    case BOOLEAN:
      return "boolean";
    case STRING:
      return "string";
    case ERROR:
      return "error";
    case BLOB:
      return "blob";
    case LIST:
      return "list";
    case STRUCTURE:
      return "structure";
    case OPTIONAL:
      return "optional";
    case SECRET:
      return "secret";
    case DYNAMIC_STRUCTURE:
      return "dynamic structure";
  }
  return "unknown";
}

void DataValue::DestroyTree() {
  detail::ValueStack pending;
  ReleaseChildren(pending);
  while (!pending.empty()) {
    DataValuePtr value = pending.pop();
    // A value nobody else holds gives up its children before it dies, so its own destructor
    // has nothing left to walk. Values made by this runtime are never const objects.
    if (value.use_count() == 1) {
      auto& owned = const_cast<DataValue&>(*value);
      owned.ReleaseChildren(pending);
      owned.childrenReleased_ = true;
    }
  }
}

void DataValue::AppendTypeMismatch(DataType::EnumType expected, const DataValuePtr& actual,
                                   std::list<BaseMessage>& messages) {
  messages.push_back(MakeMessage("jorv.data.type.mismatch",
                                 Message<CoreTag>::DefaultMessageForId("jorv.data.type.mismatch"),
                                 std::string(DataType::Name(expected)),
                                 std::string(actual ? DataType::Name(actual->GetType()) : "null")));
}

void DataValue::AppendParseFailure(const std::string& text, const char* kind,
                                   std::list<BaseMessage>& messages) {
  messages.push_back(MakeMessage("jorv.data.parse.failed",
                                 Message<CoreTag>::DefaultMessageForId("jorv.data.parse.failed"),
                                 text, std::string(kind)));
}

namespace detail {

bool PrimitiveTraits<long long>::Parse(const std::string& text, long long& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  // from_chars reads a '-' itself; an explicit '+' is skipped, but not "+-".
  if (first != last && *first == '+' && ++first != last && *first == '-') return false;
  long long parsed = 0;
  const auto result = std::from_chars(first, last, parsed);
  if (first == last || result.ec != std::errc() || result.ptr != last) return false;
  out = parsed;
  return true;
}

bool PrimitiveTraits<double>::Parse(const std::string& text, double& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  // from_chars reads neither '+' nor a "0x" prefix: take the sign, then the prefix, here.
  const bool negative = first != last && *first == '-';
  if (first != last && (*first == '+' || *first == '-')) ++first;
  auto format = std::chars_format::general;
  if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
    first += 2;
    format = std::chars_format::hex;
  }
  if (first == last || *first == '+' || *first == '-') return false;
  double parsed = 0;
  const auto result = std::from_chars(first, last, parsed, format);
  if (result.ec != std::errc() || result.ptr != last) return false;
  out = negative ? -parsed : parsed;
  return true;
}

bool PrimitiveTraits<bool>::Parse(const std::string& text, bool& out) {
  if (text != "true" && text != "false") return false;
  out = text == "true";
  return true;
}

}  // namespace detail
}  // namespace Data
}  // namespace Jorv
