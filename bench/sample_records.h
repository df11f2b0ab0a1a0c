#pragma once
// The data every conversion benchmark works on: a Result of our records and the same fields as
// plain C++ structs, with the plain structs' conversions to and from nlohmann::json and
// Boost.JSON, equality of the plain structs, and node counts of each kind of tree.

#include <boost/json.hpp>
#include <cstddef>
#include <list>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "stats/provider/stats_provider.h"

namespace StatsBench {

namespace Provider = Com::Zentak::Stats::Provider;

// How big a sample is: `snapshots` snapshots of `values` values each; three snapshots in four
// carry two resource ids.
struct Shape {
  int snapshots = 0;
  int values = 0;
  int ValueCount() const { return snapshots * values; }
};

// The sizes every conversion is measured at, smallest first: growth of the cost per value
// from one to the next is part of what the benchmarks show.
constexpr Shape kShapes[] = {{1, 10}, {10, 100}, {100, 100}, {1000, 100}};

// "SNAPSHOTSxVALUES", as benchmark names and the report spell a shape.
std::string ShapeName(Shape shape);

// The Result of our records that `shape` describes.
std::shared_ptr<const Provider::Result> MakeResult(Shape shape);

// Writes `native` as a data value; true when no message was appended.
template <class T>
bool ToValue(const T& native, Jorv::Data::DataValuePtr& out,
             std::list<Jorv::BaseMessage>& messages) {
  return Jorv::Data::NativeToValueAdapter::Adapt(
      &native, Jorv::Data::NativeToValueAdapter::AdaptMethod<T>::Get(&native), &out, messages,
      Jorv::L10n::RequestLocalizerHelper::GetDefaultRequestLocalizer());
}

// Reads `value` into the default-constructed `native`; true when no message was appended.
template <class T>
bool FromValue(const Jorv::Data::DataValuePtr& value, T& native,
               std::list<Jorv::BaseMessage>& messages) {
  return Jorv::Data::ValueToNativeAdapter::Adapt(
      value, Jorv::Data::ValueToNativeAdapter::AdaptMethod<T>::Get(), &native, messages);
}

// The content of `value` as JSON, the way the peers write the same record: a structure as an
// object of its fields, an unset optional left out, a set one as what it holds, a list as an
// array, primitives as themselves.
nlohmann::json ContentOf(const Jorv::Data::DataValuePtr& value);

// The data values in the tree under `value`, itself included.
std::size_t CountNodes(const Jorv::Data::DataValuePtr& value);
std::size_t CountNodes(const nlohmann::json& value);
std::size_t CountNodes(const boost::json::value& value);

// The same fields as our records, in the shape a user of a JSON library would write them.
// The opaque sample is carried as text; the samples never set it.
namespace Plain {

struct ResourceId {
  std::string key;
  std::string type;
  std::string scheme;
  std::string id_value;
};

struct Value {
  long long chandle = 0;
  std::optional<long long> raw;
  std::optional<double> value;
  std::optional<std::string> opaque;
};

struct Snapshot {
  std::optional<std::vector<ResourceId>> resource_ids;
  std::vector<Value> values;
};

struct Message {
  std::string id;
  std::string default_message;
  std::vector<std::string> args;
};

struct Result {
  std::string query;
  Jorv::DateTime timestamp;
  std::vector<Snapshot> snapshots;
  std::vector<Message> messages;
};

bool operator==(const ResourceId& a, const ResourceId& b);
bool operator==(const Value& a, const Value& b);
bool operator==(const Snapshot& a, const Snapshot& b);
bool operator==(const Message& a, const Message& b);
bool operator==(const Result& a, const Result& b);

// The plain form of `result`, field for field.
Result FromRecords(const Provider::Result& result);

// nlohmann::json, written as its users write it: per-key assignment, an unset optional left
// out; the timestamp as text.
void to_json(nlohmann::json& j, const ResourceId& r);
void to_json(nlohmann::json& j, const Value& v);
void to_json(nlohmann::json& j, const Snapshot& s);
void to_json(nlohmann::json& j, const Message& m);
void to_json(nlohmann::json& j, const Result& r);
void from_json(const nlohmann::json& j, ResourceId& r);
void from_json(const nlohmann::json& j, Value& v);
void from_json(const nlohmann::json& j, Snapshot& s);
void from_json(const nlohmann::json& j, Message& m);
// Throws nlohmann::json::exception, or std::runtime_error for a malformed timestamp.
void from_json(const nlohmann::json& j, Result& r);

// Boost.JSON, the same document: tag_invoke with objects reserved to their size and members
// emplaced; every value is built in the storage of `jv`.
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const ResourceId& r);
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const Value& v);
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const Snapshot& s);
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const Message& m);
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const Result& r);
ResourceId tag_invoke(const boost::json::value_to_tag<ResourceId>&, const boost::json::value& jv);
Value tag_invoke(const boost::json::value_to_tag<Value>&, const boost::json::value& jv);
Snapshot tag_invoke(const boost::json::value_to_tag<Snapshot>&, const boost::json::value& jv);
Message tag_invoke(const boost::json::value_to_tag<Message>&, const boost::json::value& jv);
// Throws boost::system::system_error, or std::runtime_error for a malformed timestamp.
Result tag_invoke(const boost::json::value_to_tag<Result>&, const boost::json::value& jv);

}  // namespace Plain
}  // namespace StatsBench
