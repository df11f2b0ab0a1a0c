#pragma once
// Structure metadata: which fields of a record hold identifiers of resources, and of which
// resource type. A record marks such a field in its one field list,
//
//   f.Field("query", &Result::query, Jorv::Metadata::Identifier{"StatsQuery"});
//
// and names its structure info with `kStructInfoName`; StructInfo::Create<T>() reads both.
// The conversions ignore the annotation.

#include <map>
#include <memory>
#include <string>

#include <boost/optional.hpp>

namespace Jorv {
namespace Metadata {

// Field annotation: the field holds identifiers of resources of type `resourceType`.
struct Identifier {
  const char* resourceType;
};

// What is known of one identifier field. Only the resource type carries information here; the
// other members belong to the framework's metadata model and stay at their empty values.
struct FieldInfo {
  FieldInfo(std::string resourceType, boost::optional<std::string> text)
      : resourceType(std::move(resourceType)), text(std::move(text)) {}

  const void* reserved = nullptr;
  bool flag = false;
  std::string resourceType;
  std::map<std::string, std::string> properties;
  boost::optional<std::string> text;
};

// The identifier fields of one record, keyed by wire name, under the record's structure-info
// name: the package, the service without "Svc" and the type name in its native capitalisation
// ("com.zentak.stats.provider.Queries.Info"), which is not the record's wire identifier.
struct StructInfo {
  StructInfo(std::string name, std::map<std::string, std::shared_ptr<const FieldInfo>> fields)
      : name(std::move(name)), fields(std::move(fields)) {}

  // A new description of record T, built from its field list; T must declare
  // `kStructInfoName`. Every call builds new objects.
  template <class T>
  static std::shared_ptr<StructInfo> Create();

  const void* reserved = nullptr;
  std::string name;
  boost::optional<std::string> text;
  std::map<std::string, std::shared_ptr<const FieldInfo>> fields;
};

namespace detail {

// Walks a field list and keeps the fields annotated as identifiers.
class IdentifierCollector {
 public:
  template <class R, class M>
  void Field(const char*, M R::*) {}

  template <class R, class M>
  void Field(const char* name, M R::*, const Identifier& identifier) {
    fields_[name] = std::make_shared<FieldInfo>(identifier.resourceType, boost::none);
  }

  std::map<std::string, std::shared_ptr<const FieldInfo>>& fields() { return fields_; }

 private:
  std::map<std::string, std::shared_ptr<const FieldInfo>> fields_;
};

}  // namespace detail

template <class T>
std::shared_ptr<StructInfo> StructInfo::Create() {
  detail::IdentifierCollector collector;
  T::AdapterHelper::AddFields(collector);
  return std::make_shared<StructInfo>(T::kStructInfoName, collector.fields());
}

}  // namespace Metadata
}  // namespace Jorv
