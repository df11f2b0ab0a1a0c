#include "sample_records.h"

#include <stdexcept>
#include <tuple>
#include <utility>

namespace StatsBench {

std::shared_ptr<const Provider::Result> MakeResult(Shape shape) {
  auto result = std::make_shared<Provider::Result>();
  result->query = "q-4711";
  result->timestamp = Jorv::DateTime::FromMillisSinceEpoch(1796577587123);
  for (int s = 0; s < shape.snapshots; ++s) {
    auto snapshot = std::make_shared<Provider::Snapshot>();
    if (s % 4 != 3) {
      std::list<std::shared_ptr<const Provider::ResourceId>> ids;
      for (const char* kind : {"host", "disk"}) {
        auto id = std::make_shared<Provider::ResourceId>();
        id->key = kind;
        id->type = std::string("Stats.") + kind;
        id->scheme = "urn";
        id->id_value = std::string(kind) + "-" + std::to_string(s);
        ids.push_back(std::move(id));
      }
      snapshot->resource_ids = std::move(ids);
    }
    for (int v = 0; v < shape.values; ++v) {
      auto value = std::make_shared<Provider::Value>();
      value->chandle = v;
      value->raw = 1000LL * s + v;
      if (v % 2 == 1) value->value = 0.25 * v + s;
      snapshot->values.push_back(std::move(value));
    }
    result->snapshots.push_back(std::move(snapshot));
  }
  return result;
}

std::string ShapeName(Shape shape) {
  return std::to_string(shape.snapshots) + "x" + std::to_string(shape.values);
}

// The sample trees are a few levels deep, so the walk may recurse.
nlohmann::json ContentOf(const Jorv::Data::DataValuePtr& value) {
  using namespace Jorv::Data;
  if (!value) return nlohmann::json();
  switch (value->GetType()) {
    case DataType::INTEGER:
      return static_cast<const IntegerValue&>(*value).GetValue();
    case DataType::DOUBLE:
      return static_cast<const DoubleValue&>(*value).GetValue();
    case DataType::BOOLEAN:
      return static_cast<const BooleanValue&>(*value).GetValue();
    case DataType::STRING:
      return static_cast<const StringValue&>(*value).GetValue();
    case DataType::OPTIONAL:
      return ContentOf(static_cast<const OptionalValue&>(*value).value());
    case DataType::LIST: {
      nlohmann::json array = nlohmann::json::array();
      for (const auto& element : static_cast<const ListValue&>(*value).GetElements()) {
        array.push_back(ContentOf(element));
      }
      return array;
    }
    case DataType::STRUCTURE: {
      nlohmann::json object = nlohmann::json::object();
      for (const auto& field : static_cast<const CompoundValue&>(*value).GetFields()) {
        const DataValuePtr& held = field.second;
        const bool unset = held && held->GetType() == DataType::OPTIONAL &&
                           !static_cast<const OptionalValue&>(*held).IsSet();
        if (!unset) object[field.first] = ContentOf(held);
      }
      return object;
    }
    default:
      return "<" + std::string(DataType::Name(value->GetType())) + ">";
  }
}

std::size_t CountNodes(const Jorv::Data::DataValuePtr& value) {
  std::size_t count = 0;
  std::vector<const Jorv::Data::DataValue*> pending{value.get()};
  while (!pending.empty()) {
    const Jorv::Data::DataValue* node = pending.back();
    pending.pop_back();
    if (node == nullptr) continue;
    ++count;
    if (const auto* compound = dynamic_cast<const Jorv::Data::CompoundValue*>(node)) {
      for (const auto& field : compound->GetFields()) pending.push_back(field.second.get());
    } else if (const auto* list = dynamic_cast<const Jorv::Data::ListValue*>(node)) {
      for (const auto& element : list->GetElements()) pending.push_back(element.get());
    } else if (const auto* optional = dynamic_cast<const Jorv::Data::OptionalValue*>(node)) {
      pending.push_back(optional->value().get());
    }
  }
  return count;
}

std::size_t CountNodes(const nlohmann::json& value) {
  std::size_t count = 0;
  std::vector<const nlohmann::json*> pending{&value};
  while (!pending.empty()) {
    const nlohmann::json* node = pending.back();
    pending.pop_back();
    ++count;
    if (node->is_structured()) {
      for (const auto& child : *node) pending.push_back(&child);
    }
  }
  return count;
}

std::size_t CountNodes(const boost::json::value& value) {
  std::size_t count = 0;
  std::vector<const boost::json::value*> pending{&value};
  while (!pending.empty()) {
    const boost::json::value* node = pending.back();
    pending.pop_back();
    ++count;
    if (const auto* object = node->if_object()) {
      for (const auto& entry : *object) pending.push_back(&entry.value());
    } else if (const auto* array = node->if_array()) {
      for (const auto& element : *array) pending.push_back(&element);
    }
  }
  return count;
}

namespace Plain {

bool operator==(const ResourceId& a, const ResourceId& b) {
  return std::tie(a.key, a.type, a.scheme, a.id_value) ==
         std::tie(b.key, b.type, b.scheme, b.id_value);
}
bool operator==(const Value& a, const Value& b) {
  return std::tie(a.chandle, a.raw, a.value, a.opaque) ==
         std::tie(b.chandle, b.raw, b.value, b.opaque);
}
bool operator==(const Snapshot& a, const Snapshot& b) {
  return a.resource_ids == b.resource_ids && a.values == b.values;
}
bool operator==(const Message& a, const Message& b) {
  return std::tie(a.id, a.default_message, a.args) == std::tie(b.id, b.default_message, b.args);
}
bool operator==(const Result& a, const Result& b) {
  return a.query == b.query && a.timestamp.MillisSinceEpoch() == b.timestamp.MillisSinceEpoch() &&
         a.snapshots == b.snapshots && a.messages == b.messages;
}

Result FromRecords(const Provider::Result& result) {
  Result plain;
  plain.query = result.query;
  plain.timestamp = result.timestamp;
  for (const auto& snapshot : result.snapshots) {
    Snapshot s;
    if (snapshot->resource_ids) {
      s.resource_ids.emplace();
      for (const auto& id : *snapshot->resource_ids) {
        s.resource_ids->push_back({id->key, id->type, id->scheme, id->id_value});
      }
    }
    for (const auto& value : snapshot->values) {
      Value v;
      v.chandle = value->chandle;
      if (value->raw) v.raw = *value->raw;
      if (value->value) v.value = *value->value;
      if (value->opaque) v.opaque = Jorv::Data::ToText(value->opaque->GetValue());
      s.values.push_back(std::move(v));
    }
    plain.snapshots.push_back(std::move(s));
  }
  for (const auto& message : result.messages) {
    plain.messages.push_back(
        {message->id, message->default_message, {message->args.begin(), message->args.end()}});
  }
  return plain;
}

namespace {

Jorv::DateTime ParseTime(const char* text, std::size_t size) {
  boost::optional<Jorv::DateTime> parsed = Jorv::DateTime::Parse(boost::string_view(text, size));
  if (!parsed) throw std::runtime_error("malformed timestamp");
  return *parsed;
}

template <class T>
void ReadOptional(const nlohmann::json& j, const char* key, std::optional<T>& out) {
  const auto found = j.find(key);
  if (found == j.end()) {
    out.reset();
  } else {
    out = found->template get<T>();
  }
}

}  // namespace

void to_json(nlohmann::json& j, const ResourceId& r) {
  j["key"] = r.key;
  j["type"] = r.type;
  j["scheme"] = r.scheme;
  j["id_value"] = r.id_value;
}
void to_json(nlohmann::json& j, const Value& v) {
  j["chandle"] = v.chandle;
  if (v.raw) j["raw"] = *v.raw;
  if (v.value) j["value"] = *v.value;
  if (v.opaque) j["opaque"] = *v.opaque;
}
void to_json(nlohmann::json& j, const Snapshot& s) {
  if (s.resource_ids) j["resource_ids"] = *s.resource_ids;
  j["values"] = s.values;
}
void to_json(nlohmann::json& j, const Message& m) {
  j["id"] = m.id;
  j["default_message"] = m.default_message;
  j["args"] = m.args;
}
void to_json(nlohmann::json& j, const Result& r) {
  j["query"] = r.query;
  j["timestamp"] = r.timestamp.ToString();
  j["snapshots"] = r.snapshots;
  j["messages"] = r.messages;
}

void from_json(const nlohmann::json& j, ResourceId& r) {
  j.at("key").get_to(r.key);
  j.at("type").get_to(r.type);
  j.at("scheme").get_to(r.scheme);
  j.at("id_value").get_to(r.id_value);
}
void from_json(const nlohmann::json& j, Value& v) {
  j.at("chandle").get_to(v.chandle);
  ReadOptional(j, "raw", v.raw);
  ReadOptional(j, "value", v.value);
  ReadOptional(j, "opaque", v.opaque);
}
void from_json(const nlohmann::json& j, Snapshot& s) {
  ReadOptional(j, "resource_ids", s.resource_ids);
  j.at("values").get_to(s.values);
}
void from_json(const nlohmann::json& j, Message& m) {
  j.at("id").get_to(m.id);
  j.at("default_message").get_to(m.default_message);
  j.at("args").get_to(m.args);
}
void from_json(const nlohmann::json& j, Result& r) {
  j.at("query").get_to(r.query);
  const auto& timestamp = j.at("timestamp").get_ref<const std::string&>();
  r.timestamp = ParseTime(timestamp.data(), timestamp.size());
  j.at("snapshots").get_to(r.snapshots);
  j.at("messages").get_to(r.messages);
}

namespace {

template <class T>
void EmplaceOptional(boost::json::object& o, boost::json::string_view key,
                     const std::optional<T>& optional) {
  if (optional) o.emplace(key, boost::json::value_from(*optional, o.storage()));
}

template <class T>
std::optional<T> GetOptional(const boost::json::object& o, boost::json::string_view key) {
  const boost::json::value* found = o.if_contains(key);
  if (found == nullptr) return std::nullopt;
  return boost::json::value_to<T>(*found);
}

}  // namespace

void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const ResourceId& r) {
  boost::json::object& o = jv.emplace_object();
  o.reserve(4);
  o.emplace("key", r.key);
  o.emplace("type", r.type);
  o.emplace("scheme", r.scheme);
  o.emplace("id_value", r.id_value);
}
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const Value& v) {
  boost::json::object& o = jv.emplace_object();
  o.reserve(1 + v.raw.has_value() + v.value.has_value() + v.opaque.has_value());
  o.emplace("chandle", v.chandle);
  EmplaceOptional(o, "raw", v.raw);
  EmplaceOptional(o, "value", v.value);
  EmplaceOptional(o, "opaque", v.opaque);
}
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const Snapshot& s) {
  boost::json::object& o = jv.emplace_object();
  o.reserve(1 + s.resource_ids.has_value());
  EmplaceOptional(o, "resource_ids", s.resource_ids);
  o.emplace("values", boost::json::value_from(s.values, o.storage()));
}
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const Message& m) {
  boost::json::object& o = jv.emplace_object();
  o.reserve(3);
  o.emplace("id", m.id);
  o.emplace("default_message", m.default_message);
  o.emplace("args", boost::json::value_from(m.args, o.storage()));
}
void tag_invoke(const boost::json::value_from_tag&, boost::json::value& jv, const Result& r) {
  boost::json::object& o = jv.emplace_object();
  o.reserve(4);
  o.emplace("query", r.query);
  o.emplace("timestamp", r.timestamp.ToString());
  o.emplace("snapshots", boost::json::value_from(r.snapshots, o.storage()));
  o.emplace("messages", boost::json::value_from(r.messages, o.storage()));
}

ResourceId tag_invoke(const boost::json::value_to_tag<ResourceId>&, const boost::json::value& jv) {
  const boost::json::object& o = jv.as_object();
  return {boost::json::value_to<std::string>(o.at("key")),
          boost::json::value_to<std::string>(o.at("type")),
          boost::json::value_to<std::string>(o.at("scheme")),
          boost::json::value_to<std::string>(o.at("id_value"))};
}
Value tag_invoke(const boost::json::value_to_tag<Value>&, const boost::json::value& jv) {
  const boost::json::object& o = jv.as_object();
  Value v;
  v.chandle = boost::json::value_to<long long>(o.at("chandle"));
  v.raw = GetOptional<long long>(o, "raw");
  v.value = GetOptional<double>(o, "value");
  v.opaque = GetOptional<std::string>(o, "opaque");
  return v;
}
Snapshot tag_invoke(const boost::json::value_to_tag<Snapshot>&, const boost::json::value& jv) {
  const boost::json::object& o = jv.as_object();
  Snapshot s;
  s.resource_ids = GetOptional<std::vector<ResourceId>>(o, "resource_ids");
  s.values = boost::json::value_to<std::vector<Value>>(o.at("values"));
  return s;
}
Message tag_invoke(const boost::json::value_to_tag<Message>&, const boost::json::value& jv) {
  const boost::json::object& o = jv.as_object();
  return {boost::json::value_to<std::string>(o.at("id")),
          boost::json::value_to<std::string>(o.at("default_message")),
          boost::json::value_to<std::vector<std::string>>(o.at("args"))};
}
Result tag_invoke(const boost::json::value_to_tag<Result>&, const boost::json::value& jv) {
  const boost::json::object& o = jv.as_object();
  Result r;
  r.query = boost::json::value_to<std::string>(o.at("query"));
  const boost::json::string& timestamp = o.at("timestamp").as_string();
  r.timestamp = ParseTime(timestamp.data(), timestamp.size());
  r.snapshots = boost::json::value_to<std::vector<Snapshot>>(o.at("snapshots"));
  r.messages = boost::json::value_to<std::vector<Message>>(o.at("messages"));
  return r;
}

}  // namespace Plain
}  // namespace StatsBench
