#pragma once
// Data definitions: the types that data values are checked against. A definition is built
// once, shared as std::shared_ptr<const DataDefinition> and not changed afterwards, except
// that a structure reference takes its target after construction, while its tree is built.

#include <map>
#include <memory>
#include <string>

#include "framework/core/date_time.h"

namespace Jorv {
struct Void;
namespace Data {

class Opaque;

struct DefinitionType {
  enum EnumType : int {
    VOID,
    INTEGER,
    DOUBLE,
    BOOLEAN,
    STRING,
    DATE_TIME,
    BLOB,
    SECRET,
    OPAQUE,  // any data value
    LIST,
    OPTIONAL,
    STRUCTURE,
    STRUCT_REF,  // a structure defined elsewhere in the same tree, by name
  };
  // A lower-case name for messages and diagnostics: "integer", "date-time", ...
  static const char* Name(EnumType type);
};

class DataDefinition;
using DataDefinitionPtr = std::shared_ptr<const DataDefinition>;

class DataDefinition {
 public:
  virtual ~DataDefinition() = default;
  DataDefinition(const DataDefinition&) = delete;
  DataDefinition& operator=(const DataDefinition&) = delete;

  DefinitionType::EnumType GetType() const { return type_; }

  // A new definition of a primitive: std::string, long long, double, bool, Jorv::DateTime,
  // Jorv::Void, or Jorv::Data::Opaque (which any value conforms to).
  template <class T>
  static DataDefinitionPtr Create();

 protected:
  explicit DataDefinition(DefinitionType::EnumType type) : type_(type) {}

 private:
  DefinitionType::EnumType type_;
};

// A primitive kind without further parts.
class PrimitiveDefinition final : public DataDefinition {
 public:
  explicit PrimitiveDefinition(DefinitionType::EnumType type) : DataDefinition(type) {}
};

// A list whose elements all conform to one definition.
class ListDefinition final : public DataDefinition {
 public:
  static std::shared_ptr<const ListDefinition> GetInstance(DataDefinitionPtr element) {
    return std::make_shared<ListDefinition>(std::move(element));
  }
  explicit ListDefinition(DataDefinitionPtr element)
      : DataDefinition(DefinitionType::LIST), element_(std::move(element)) {}
  const DataDefinitionPtr& GetElement() const { return element_; }

 private:
  DataDefinitionPtr element_;
};

// An optional whose value, when set, conforms to one definition.
class OptionalDefinition final : public DataDefinition {
 public:
  static std::shared_ptr<const OptionalDefinition> GetInstance(DataDefinitionPtr element) {
    return std::make_shared<OptionalDefinition>(std::move(element));
  }
  explicit OptionalDefinition(DataDefinitionPtr element)
      : DataDefinition(DefinitionType::OPTIONAL), element_(std::move(element)) {}
  const DataDefinitionPtr& GetElement() const { return element_; }

 private:
  DataDefinitionPtr element_;
};

// A named structure and the definitions of its fields, ordered by name.
class StructDefinition final : public DataDefinition {
 public:
  using Fields = std::map<std::string, DataDefinitionPtr>;
  static std::shared_ptr<const StructDefinition> GetInstance(const std::string& name,
                                                             const Fields& fields) {
    return std::make_shared<StructDefinition>(name, fields);
  }
  StructDefinition(std::string name, Fields fields)
      : DataDefinition(DefinitionType::STRUCTURE),
        name_(std::move(name)),
        fields_(std::move(fields)) {}
  const std::string& GetName() const { return name_; }
  const Fields& GetFields() const { return fields_; }

 private:
  std::string name_;
  Fields fields_;
};

// Stands for the structure definition of the same name that encloses it, closing the cycle
// of a type that contains itself. The target is held weakly, so the cycle owns nothing.
class StructRefDefinition final : public DataDefinition {
 public:
  static std::shared_ptr<StructRefDefinition> GetInstance(const std::string& name) {
    return std::make_shared<StructRefDefinition>(name);
  }
  explicit StructRefDefinition(std::string name)
      : DataDefinition(DefinitionType::STRUCT_REF), name_(std::move(name)) {}
  const std::string& GetName() const { return name_; }
  // Sets the structure this reference stands for; call before the definition is shared.
  void SetTarget(std::weak_ptr<const StructDefinition> target) { target_ = std::move(target); }
  // The target, or null when it was never set or no longer exists.
  std::shared_ptr<const StructDefinition> GetTarget() const { return target_.lock(); }

 private:
  std::string name_;
  std::weak_ptr<const StructDefinition> target_;
};

namespace detail {
template <class T>
struct PrimitiveDefinitionType;
template <>
struct PrimitiveDefinitionType<std::string> {
  static constexpr DefinitionType::EnumType value = DefinitionType::STRING;
};
template <>
struct PrimitiveDefinitionType<long long> {
  static constexpr DefinitionType::EnumType value = DefinitionType::INTEGER;
};
template <>
struct PrimitiveDefinitionType<double> {
  static constexpr DefinitionType::EnumType value = DefinitionType::DOUBLE;
};
template <>
struct PrimitiveDefinitionType<bool> {
  static constexpr DefinitionType::EnumType value = DefinitionType::BOOLEAN;
};
template <>
struct PrimitiveDefinitionType<DateTime> {
  static constexpr DefinitionType::EnumType value = DefinitionType::DATE_TIME;
};
template <>
struct PrimitiveDefinitionType<Void> {
  static constexpr DefinitionType::EnumType value = DefinitionType::VOID;
};
template <>
struct PrimitiveDefinitionType<Opaque> {
  static constexpr DefinitionType::EnumType value = DefinitionType::OPAQUE;
};
}  // namespace detail

template <class T>
DataDefinitionPtr DataDefinition::Create() {
  return std::make_shared<PrimitiveDefinition>(detail::PrimitiveDefinitionType<T>::value);
}

}  // namespace Data
}  // namespace Jorv
