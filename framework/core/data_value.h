#pragma once
// Data values: the dynamic, self-describing values in which every call travels. Values are
// built once, then shared as std::shared_ptr<const DataValue> and never changed. This header
// has the base class and the primitive kinds; compound_value.h has structures, errors, lists
// and optionals.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/data_type.h"
#include "framework/core/date_time.h"
#include "framework/core/value_arena.h"
#include "framework/text/message.h"

namespace Jorv {

// The value of a call that returns nothing.
struct Void {};

namespace Data {

class DataValue;
using DataValuePtr = std::shared_ptr<const DataValue>;

namespace detail {

// The values a tree is taken apart into, last in first out; the first few sit inside the stack
// itself, so that taking a small tree apart allocates nothing.
class ValueStack {
 public:
  bool empty() const { return inlineSize_ == 0 && more_.empty(); }
  void push_back(DataValuePtr value) {
    if (inlineSize_ < kInline && more_.empty()) {
      inline_[inlineSize_++] = std::move(value);
    } else {
      more_.push_back(std::move(value));
    }
  }
  // Takes the last value pushed; the stack must not be empty.
  DataValuePtr pop() {
    if (!more_.empty()) {
      DataValuePtr value = std::move(more_.back());
      more_.pop_back();
      return value;
    }
    return std::move(inline_[--inlineSize_]);
  }

 private:
  static constexpr std::size_t kInline = 8;
  DataValuePtr inline_[kInline];
  std::size_t inlineSize_ = 0;
  std::vector<DataValuePtr> more_;
};

}  // namespace detail

class DataValue {
 public:
  virtual ~DataValue() = default;
  DataValue(const DataValue&) = delete;
  DataValue& operator=(const DataValue&) = delete;

  // The type code of this value.
  DataType::EnumType GetType() const { return type_; }
  // Calls the visitor operation for this value's kind.
  virtual void Accept(ValueVisitor& visitor) const = 0;

  // A new value holding `value`: std::string gives a string value, long long an integer,
  // double a double, bool a boolean, Jorv::DateTime its RFC 3339 text as a string value,
  // Jorv::Void the void value. Drawn from `arena` when it is not null.
  template <class T>
  static DataValuePtr Create(const T& value, ValueArena* arena = nullptr);

  // Reads `value` into `out` when it is of the kind that T travels as (a string value for
  // std::string and Jorv::DateTime, an integer for long long, ...). Otherwise, or when `value`
  // is null or a date-time text is malformed, appends one message
  // ("jorv.data.type.mismatch" or "jorv.data.parse.failed"), leaves `out` alone and returns
  // false.
  template <class T>
  static bool Value(const DataValuePtr& value, T& out, std::list<BaseMessage>& messages);

  // As Value, but a string value is also parsed into T: a whole decimal integer in range for
  // long long, a decimal or hexadecimal floating-point text for double, "true"/"false" for
  // bool, RFC 3339 for date-times. A text that does not parse appends "jorv.data.parse.failed"
  // with the text and the kind as arguments, and returns false.
  template <class T>
  static bool ToPrimitive(const DataValuePtr& value, T& out, std::list<BaseMessage>& messages);

 protected:
  explicit DataValue(DataType::EnumType type) : type_(type) {}

  // Moves this value's uniquely owned compound children into `out`, so that a deep tree is
  // taken apart with a work list rather than by nested destructor calls.
  virtual void ReleaseChildren(detail::ValueStack& /*out*/) {}
  // Called by the destructor of every value with children; does nothing when the children
  // were already handed to an outer work list.
  void DestroyChildrenIteratively() {
    if (!childrenReleased_) DestroyTree();
  }

  // Helpers for messages.
  static void AppendTypeMismatch(DataType::EnumType expected, const DataValuePtr& actual,
                                 std::list<BaseMessage>& messages);
  static void AppendParseFailure(const std::string& text, const char* kind,
                                 std::list<BaseMessage>& messages);

 private:
  void DestroyTree();

  DataType::EnumType type_;
  bool childrenReleased_ = false;
};

class VoidValue final : public DataValue {
 public:
  // A new void value, drawn from `arena` when it is not null.
  static std::shared_ptr<VoidValue> GetInstance(ValueArena* arena = nullptr) {
    return MakeValue<VoidValue>(arena);
  }
  static constexpr DataType::EnumType kType = DataType::VOID;
  VoidValue() : DataValue(kType) {}
  void Accept(ValueVisitor& visitor) const override { visitor.VisitVoid(*this); }
};

// The primitive kinds share one shape: a type code and one immutable held value. GetInstance
// draws the new value from `arena` when it is not null.

#define JORV_DATA_PRIMITIVE_VALUE(Class, Held, Code, Visit)                              \
  class Class final : public DataValue {                                                 \
   public:                                                                               \
    static std::shared_ptr<Class> GetInstance(Held value, ValueArena* arena = nullptr) { \
      return MakeValue<Class>(arena, std::move(value));                                  \
    }                                                                                    \
    static constexpr DataType::EnumType kType = DataType::Code;                          \
    explicit Class(Held value) : DataValue(kType), value_(std::move(value)) {}           \
    const Held& GetValue() const { return value_; }                                      \
    void Accept(ValueVisitor& visitor) const override { visitor.Visit(*this); }          \
                                                                                         \
   private:                                                                              \
    Held value_;                                                                         \
  }

JORV_DATA_PRIMITIVE_VALUE(IntegerValue, long long, INTEGER, VisitInteger);
JORV_DATA_PRIMITIVE_VALUE(DoubleValue, double, DOUBLE, VisitDouble);
JORV_DATA_PRIMITIVE_VALUE(BooleanValue, bool, BOOLEAN, VisitBoolean);
JORV_DATA_PRIMITIVE_VALUE(StringValue, std::string, STRING, VisitString);
// A string that must not be shown: the text form of values prints it redacted.
JORV_DATA_PRIMITIVE_VALUE(SecretValue, std::string, SECRET, VisitSecret);
JORV_DATA_PRIMITIVE_VALUE(BlobValue, std::vector<std::uint8_t>, BLOB, VisitBlob);

#undef JORV_DATA_PRIMITIVE_VALUE

}  // namespace Data
}  // namespace Jorv

#include "framework/core/data_value_impl.h"
