#pragma once
// The input records that several methods share: a query identifier alone, or a query
// identifier with a spec record. Every method input travels as a structure named with the
// framework's operation-input name and keeps no unknown fields.

#include <memory>
#include <string>

#include "framework/core/standard_names.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {

struct QueryInput {
  static constexpr const char* kTypeName = ::Jorv::Std::kOperationInputName;
  std::string query;
  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("query", &QueryInput::query);
    }
  };
};

template <class Spec>
struct QuerySpecInput {
  static constexpr const char* kTypeName = ::Jorv::Std::kOperationInputName;
  std::string query;
  std::shared_ptr<const Spec> spec;
  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("query", &QuerySpecInput::query);
      f.Field("spec", &QuerySpecInput::spec);
    }
  };
};

}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
