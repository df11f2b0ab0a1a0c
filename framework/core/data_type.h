#pragma once
// Kinds of data values and their type codes, and the visitor through which code dispatches on
// the kind of a value.

namespace Jorv {
namespace Data {

class VoidValue;
class IntegerValue;
class DoubleValue;
class BooleanValue;
class BlobValue;
class StringValue;
class SecretValue;
class ErrorValue;
class OptionalValue;
class ListValue;
class StructValue;

struct DataType {
  // Type codes as they travel. ERROR and DYNAMIC_STRUCTURE are read field by field like
  // STRUCTURE: an error value is a named structure reporting a failure, and a dynamic
  // structure is one whose fields follow no declared type.
  enum EnumType : int {
    VOID = 1,
    INTEGER = 2,
    DOUBLE = 3,
    BOOLEAN = 4,
    STRING = 5,
    ERROR = 6,
    BLOB = 7,
    LIST = 8,
    STRUCTURE = 9,
    OPTIONAL = 10,
    SECRET = 11,
    DYNAMIC_STRUCTURE = 15,
  };

  // A lower-case name for messages: "integer", "structure", ...; "unknown" for other codes.
  static const char* Name(EnumType type);
  // Whether values of this code hold named fields that GetField can read.
  static bool IsCompound(EnumType type) {
    return type == STRUCTURE || type == ERROR || type == DYNAMIC_STRUCTURE;
  }
};

// Dispatch on the kind of a value. Both structure codes (9 and 15) arrive at VisitStruct.
class ValueVisitor {
 public:
  virtual void VisitVoid(const VoidValue& value) = 0;
  virtual void VisitInteger(const IntegerValue& value) = 0;
  virtual void VisitDouble(const DoubleValue& value) = 0;
  virtual void VisitBoolean(const BooleanValue& value) = 0;
  virtual void VisitBlob(const BlobValue& value) = 0;
  virtual void VisitString(const StringValue& value) = 0;
  virtual void VisitSecret(const SecretValue& value) = 0;
  virtual void VisitError(const ErrorValue& value) = 0;
  virtual void VisitOptional(const OptionalValue& value) = 0;
  virtual void VisitList(const ListValue& value) = 0;
  virtual void VisitStruct(const StructValue& value) = 0;
  virtual ~ValueVisitor() = default;
};

}  // namespace Data
}  // namespace Jorv
