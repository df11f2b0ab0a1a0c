#pragma once
// Jorv::Data::Opaque: a record member that carries any data value unchanged.

#include <memory>

#include "framework/core/data_value.h"

namespace Jorv {
namespace Data {

class Opaque {
 public:
  // Holds the void value.
  Opaque() : value_(VoidValue::GetInstance()) {}
  // Holds `value`, shared, not copied. A null `value` makes an opaque that holds nothing,
  // which conversions report as an unset field.
  explicit Opaque(DataValuePtr value) : value_(std::move(value)) {}

  const DataValuePtr& GetValue() const { return value_; }
  void SetValue(DataValuePtr value) { value_ = std::move(value); }

 private:
  DataValuePtr value_;
};

}  // namespace Data
}  // namespace Jorv
