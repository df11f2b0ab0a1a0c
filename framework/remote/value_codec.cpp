#include "framework/remote/value_codec.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Remote {
namespace {

using Data::DataType;
using Data::DataValue;
using Data::DataValuePtr;

constexpr std::uint8_t kFormat = 1;
constexpr std::uint8_t kNull = 0;

// --- Encoding ------------------------------------------------------------------------------

void PutVarint(std::uint64_t value, std::string& out) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7f) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

std::uint64_t ZigZag(long long value) {
  const auto bits = static_cast<std::uint64_t>(value);
  return (bits << 1) ^ (value < 0 ? ~std::uint64_t{0} : 0);
}

void PutBytes(const void* data, std::size_t size, std::string& out) {
  PutVarint(size, out);
  out.append(static_cast<const char*>(data), size);
}

void PutText(std::string_view text, std::string& out) { PutBytes(text.data(), text.size(), out); }

void PutKind(DataType::EnumType type, std::string& out) {
  out.push_back(static_cast<char>(static_cast<std::uint8_t>(type)));
}

// A node still to be written: a value (possibly null), preceded by its field name when it is
// the value of a field.
struct Pending {
  bool named;
  std::string_view name;
  const DataValue* value;
};

// Writes what one value holds itself and queues its children, so that they follow in order.
class NodeWriter final : public Data::ValueVisitor {
 public:
  NodeWriter(std::string& out, std::vector<Pending>& pending) : out_(out), pending_(pending) {}

  void VisitVoid(const Data::VoidValue& v) override { PutKind(v.GetType(), out_); }
  void VisitInteger(const Data::IntegerValue& v) override {
    PutKind(v.GetType(), out_);
    PutVarint(ZigZag(v.GetValue()), out_);
  }
  void VisitDouble(const Data::DoubleValue& v) override {
    PutKind(v.GetType(), out_);
    std::uint64_t bits = 0;
    const double held = v.GetValue();
    std::memcpy(&bits, &held, sizeof bits);
    for (int i = 0; i < 8; ++i) out_.push_back(static_cast<char>((bits >> (8 * i)) & 0xff));
  }
  void VisitBoolean(const Data::BooleanValue& v) override {
    PutKind(v.GetType(), out_);
    out_.push_back(v.GetValue() ? 1 : 0);
  }
  void VisitBlob(const Data::BlobValue& v) override {
    PutKind(v.GetType(), out_);
    PutBytes(v.GetValue().data(), v.GetValue().size(), out_);
  }
  void VisitString(const Data::StringValue& v) override {
    PutKind(v.GetType(), out_);
    PutText(v.GetValue(), out_);
  }
  void VisitSecret(const Data::SecretValue& v) override {
    PutKind(v.GetType(), out_);
    PutText(v.GetValue(), out_);
  }
  void VisitError(const Data::ErrorValue& v) override { Compound(v); }
  void VisitStruct(const Data::StructValue& v) override { Compound(v); }
  void VisitOptional(const Data::OptionalValue& v) override {
    PutKind(v.GetType(), out_);
    out_.push_back(v.IsSet() ? 1 : 0);
    if (v.IsSet()) pending_.push_back(Pending{false, {}, v.value().get()});
  }
  void VisitList(const Data::ListValue& v) override {
    PutKind(v.GetType(), out_);
    PutVarint(ZigZag(v.GetKind()), out_);
    children_.clear();
    for (const DataValuePtr& element : v.GetElements()) {
      children_.push_back(Pending{false, {}, element.get()});
    }
    QueueChildren();
  }

 private:
  void Compound(const Data::CompoundValue& v) {
    PutKind(v.GetType(), out_);
    PutText(v.GetName(), out_);
    children_.clear();
    for (const auto& field : v.GetFields()) {
      children_.push_back(Pending{true, std::string_view(field.first), field.second.get()});
    }
    QueueChildren();
  }
  // Writes the count and queues the children last first, so that the first is taken next.
  void QueueChildren() {
    PutVarint(children_.size(), out_);
    pending_.insert(pending_.end(), children_.rbegin(), children_.rend());
  }

  std::string& out_;
  std::vector<Pending>& pending_;
  std::vector<Pending> children_;
};

// --- Decoding ------------------------------------------------------------------------------

// A container still being filled: the slots of its remaining children come from it.
struct Frame {
  DataType::EnumType type;
  Data::CompoundValue* compound;
  Data::ListValue* list;
  DataValuePtr* optionalSlot;
  std::uint64_t remaining;
  // The name of the field read last; fields come in strictly ascending order.
  bool started;
  std::string_view lastField;
};

class Reader {
 public:
  Reader(std::string_view bytes, std::list<BaseMessage>& messages)
      : bytes_(bytes), messages_(messages) {}

  std::size_t Offset() const { return at_; }
  std::size_t Left() const { return bytes_.size() - at_; }

  bool Byte(std::uint8_t& out) {
    if (at_ >= bytes_.size()) return Truncated();
    out = static_cast<std::uint8_t>(bytes_[at_++]);
    return true;
  }
  bool Varint(std::uint64_t& out) {
    const std::size_t start = at_;
    out = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      std::uint8_t byte = 0;
      if (!Byte(byte)) return false;
      if (shift == 63 && byte > 1) return Malformed("varint", start);
      out |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
      if ((byte & 0x80) == 0) return true;
    }
    return Malformed("varint", start);
  }
  bool Signed(long long& out) {
    std::uint64_t raw = 0;
    if (!Varint(raw)) return false;
    out = static_cast<long long>((raw >> 1) ^ (~(raw & 1) + 1));
    return true;
  }
  // A length-prefixed run of bytes.
  bool Text(std::string_view& out) {
    std::uint64_t size = 0;
    if (!Varint(size)) return false;
    if (size > Left()) return Truncated();
    out = bytes_.substr(at_, static_cast<std::size_t>(size));
    at_ += static_cast<std::size_t>(size);
    return true;
  }
  // A count of children that each take at least `minimum` bytes.
  bool Count(std::uint64_t& out, std::size_t minimum) {
    const std::size_t start = at_;
    if (!Varint(out)) return false;
    if (out > Left() / minimum) return Fail(MessageIds::kValueCount, std::to_string(out), start);
    return true;
  }
  bool Double(double& out) {
    if (Left() < 8) return Truncated();
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
      bits |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(bytes_[at_ + i])) << (8 * i);
    }
    at_ += 8;
    std::memcpy(&out, &bits, sizeof out);
    return true;
  }
  // A byte that must be 0 or 1.
  bool Flag(bool& out, const char* what) {
    std::uint8_t byte = 0;
    if (!Byte(byte)) return false;
    if (byte > 1) return Malformed(what, at_ - 1);
    out = byte == 1;
    return true;
  }

  bool Truncated() { return Fail(MessageIds::kValueTruncated, std::to_string(bytes_.size())); }
  bool Malformed(const char* what, std::size_t offset) {
    return Fail(MessageIds::kValueMalformed, what, offset);
  }
  template <class... Args>
  bool Fail(const char* id, Args... args) {
    messages_.push_back(MakeMessage(id, Message<CoreTag>::DefaultMessageForId(id), Arg(args)...));
    return false;
  }

 private:
  static std::string Arg(std::string text) { return text; }
  static std::string Arg(const char* text) { return text; }
  static std::string Arg(std::size_t number) { return std::to_string(number); }

  std::string_view bytes_;
  std::list<BaseMessage>& messages_;
  std::size_t at_ = 0;
};

class Decoder {
 public:
  Decoder(std::string_view bytes, const DecodeLimits& limits, std::list<BaseMessage>& messages)
      : in_(bytes, messages), limits_(limits) {}

  bool Run(DataValuePtr& root) {
    std::uint8_t format = 0;
    if (!in_.Byte(format)) return false;
    if (format != kFormat) return in_.Fail(MessageIds::kValueFormat, std::to_string(format));
    if (!Node(root)) return false;
    while (!stack_.empty()) {
      Frame& top = stack_.back();
      if (top.remaining == 0) {
        stack_.pop_back();
        continue;
      }
      --top.remaining;
      DataValuePtr* slot = nullptr;
      if (top.compound != nullptr) {
        const std::size_t at = in_.Offset();
        std::string_view name;
        if (!in_.Text(name)) return false;
        if (top.started && name <= top.lastField) {
          return in_.Fail(MessageIds::kValueFieldOrder, std::string(name), at);
        }
        top.started = true;
        top.lastField = name;
        slot = top.compound->CreateSlot(std::string(name));
      } else if (top.list != nullptr) {
        slot = top.list->AppendSlot();
      } else {
        slot = top.optionalSlot;
      }
      if (!Node(*slot)) return false;
    }
    if (in_.Left() != 0) return in_.Fail(MessageIds::kValueTrailing, in_.Left());
    return true;
  }

 private:
  // Reads one node into `slot`; a container with children is pushed to be filled.
  bool Node(DataValuePtr& slot) {
    if (++nodes_ > limits_.maxNodes) {
      return in_.Fail(MessageIds::kValueTooManyNodes, limits_.maxNodes);
    }
    const std::size_t at = in_.Offset();
    std::uint8_t kind = 0;
    if (!in_.Byte(kind)) return false;
    switch (kind) {
      case kNull:
        slot = nullptr;
        return true;
      case DataType::VOID:
        slot = Data::VoidValue::GetInstance();
        return true;
      case DataType::INTEGER: {
        long long value = 0;
        if (!in_.Signed(value)) return false;
        slot = Data::IntegerValue::GetInstance(value);
        return true;
      }
      case DataType::DOUBLE: {
        double value = 0;
        if (!in_.Double(value)) return false;
        slot = Data::DoubleValue::GetInstance(value);
        return true;
      }
      case DataType::BOOLEAN: {
        bool value = false;
        if (!in_.Flag(value, "boolean")) return false;
        slot = Data::BooleanValue::GetInstance(value);
        return true;
      }
      case DataType::STRING:
      case DataType::SECRET:
      case DataType::BLOB: {
        std::string_view text;
        if (!in_.Text(text)) return false;
        if (kind == DataType::STRING) {
          slot = Data::StringValue::GetInstance(std::string(text));
        } else if (kind == DataType::SECRET) {
          slot = Data::SecretValue::GetInstance(std::string(text));
        } else {
          slot = Data::BlobValue::GetInstance(std::vector<std::uint8_t>(text.begin(), text.end()));
        }
        return true;
      }
      case DataType::LIST:
        return List(slot);
      case DataType::OPTIONAL:
        return Optional(slot);
      case DataType::STRUCTURE:
      case DataType::DYNAMIC_STRUCTURE:
      case DataType::ERROR:
        return Compound(static_cast<DataType::EnumType>(kind), slot);
      default:
        return in_.Fail(MessageIds::kValueKind, std::to_string(kind), at);
    }
  }

  bool List(DataValuePtr& slot) {
    long long kind = 0;
    const std::size_t at = in_.Offset();
    if (!in_.Signed(kind)) return false;
    if (kind < INT32_MIN || kind > INT32_MAX) return in_.Malformed("list kind", at);
    std::uint64_t count = 0;
    if (!in_.Count(count, 1)) return false;
    auto list = Data::ListValue::GetInstance(static_cast<int>(kind));
    Push(Frame{DataType::LIST, nullptr, list.get(), nullptr, count, false, {}});
    slot = std::move(list);
    return true;
  }

  bool Optional(DataValuePtr& slot) {
    bool set = false;
    if (!in_.Flag(set, "optional flag")) return false;
    auto optional = Data::OptionalValue::GetInstance();
    if (set)
      Push(Frame{DataType::OPTIONAL, nullptr, nullptr, optional->value(nullptr), 1, false, {}});
    slot = std::move(optional);
    return true;
  }

  bool Compound(DataType::EnumType type, DataValuePtr& slot) {
    std::string_view name;
    if (!in_.Text(name)) return false;
    std::uint64_t count = 0;
    // A field takes at least its name's length and its value's kind.
    if (!in_.Count(count, 2)) return false;
    std::shared_ptr<Data::CompoundValue> compound;
    if (type == DataType::ERROR) {
      compound = std::make_shared<Data::ErrorValue>(std::string(name));
    } else if (type == DataType::DYNAMIC_STRUCTURE) {
      compound = Data::StructValue::GetDynamicInstance(std::string(name));
    } else {
      compound = Data::StructValue::GetInstance(std::string(name));
    }
    Push(Frame{type, compound.get(), nullptr, nullptr, count, false, {}});
    slot = std::move(compound);
    return true;
  }

  void Push(const Frame& frame) {
    if (frame.remaining != 0) stack_.push_back(frame);
  }

  Reader in_;
  const DecodeLimits& limits_;
  std::size_t nodes_ = 0;
  std::vector<Frame> stack_;
};

}  // namespace

void EncodeValue(const DataValuePtr& value, std::string& out) {
  out.push_back(static_cast<char>(kFormat));
  std::vector<Pending> pending{Pending{false, {}, value.get()}};
  NodeWriter writer(out, pending);
  while (!pending.empty()) {
    const Pending next = pending.back();
    pending.pop_back();
    if (next.named) PutText(next.name, out);
    if (next.value == nullptr) {
      out.push_back(static_cast<char>(kNull));
    } else {
      next.value->Accept(writer);
    }
  }
}

std::string EncodeValue(const DataValuePtr& value) {
  std::string out;
  EncodeValue(value, out);
  return out;
}

bool DecodeValue(std::string_view bytes, const DecodeLimits& limits, DataValuePtr& out,
                 std::list<BaseMessage>& messages) {
  if (bytes.size() > limits.maxBytes) {
    messages.push_back(
        MakeMessage(MessageIds::kValueTooLarge,
                    Message<CoreTag>::DefaultMessageForId(MessageIds::kValueTooLarge),
                    std::to_string(bytes.size()), std::to_string(limits.maxBytes)));
    return false;
  }
  DataValuePtr root;
  if (!Decoder(bytes, limits, messages).Run(root)) return false;
  out = std::move(root);
  return true;
}

}  // namespace Remote
}  // namespace Jorv
