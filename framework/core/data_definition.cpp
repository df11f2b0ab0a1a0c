#include "framework/core/data_definition.h"

namespace Jorv {
namespace Data {

const char* DefinitionType::Name(EnumType type) {
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
    case DATE_TIME:
      return "date-time";
    case BLOB:
      return "blob";
    case SECRET:
      return "secret";
    case OPAQUE:
      return "opaque";
    case LIST:
      return "list";
    case OPTIONAL:
      return "optional";
    case STRUCTURE:
      return "structure";
    case STRUCT_REF:
      return "structure reference";
  }
  return "unknown";
}

}  // namespace Data
}  // namespace Jorv
