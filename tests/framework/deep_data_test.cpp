// Every operation on data nested a million deep, each run on a thread with a 256 KiB stack: a
// recursion of one frame per level would overflow it, so each operation must keep its work on
// the heap. Two shapes nest a record in itself: Chain through an optional member, Tree through a
// list member.

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <memory>
#include <string>

#include "framework/core/compound_value.h"
#include "framework/core/validation.h"
#include "framework/core/value_ops.h"
#include "support/conversions.h"
#include "support/small_stack.h"
#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::CompoundValue;
using Jorv::Data::DataValue;
using Jorv::Data::DataValuePtr;
using Jorv::Data::Equals;
using Jorv::Data::ListValue;
using Jorv::Data::OptionalValue;
using Jorv::Data::ToText;
using Jorv::Data::Validate;
using Jorv::Testing::RunOnSmallStack;
using namespace Jorv::Testing;
using TestRecords::Chain;
using TestRecords::Tree;

constexpr long long kDepth = 1000000;

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

long long Count(const std::string& text, const std::string& piece) {
  long long n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// What the tests need to know of a shape: how to build it natively (the innermost record marked
// `innermost`, every other one by its level), how to step into the record it holds, how its
// value nests and reads in the text form, and how to build a value whose innermost record is
// malformed.
template <class R>
struct Shape;

template <>
struct Shape<Chain> {
  static std::shared_ptr<const Chain> Make(long long depth, long long innermost = 1) {
    std::shared_ptr<const Chain> head;
    for (long long i = 1; i <= depth; ++i) {
      auto link = std::make_shared<Chain>();
      link->depth = i == 1 ? innermost : i;
      link->next = std::move(head);
      head = std::move(link);
    }
    return head;
  }
  static const Chain* Inner(const Chain& r) { return r.next.get(); }
  static long long Level(const Chain& r) { return r.depth; }
  // The record a record value holds, or null at the innermost one.
  static const DataValue* InnerValue(const DataValue& v) {
    const auto& next = static_cast<const OptionalValue&>(
        *static_cast<const CompoundValue&>(v).GetFields().at("next"));
    return next.IsSet() ? next.value().get() : nullptr;
  }
  static std::string InnermostText() { return "com.example.test.chain{depth: 1, next: unset}"; }
  // What closes the record of `level` after the record it holds.
  static std::string Closing(long long /*level*/) { return ")}"; }
  static DataValuePtr Malformed(long long depth) {
    DataValuePtr v = Struct(Chain::kTypeName, {{"depth", Real(0.5)}, {"next", Unset()}});
    for (long long i = 2; i <= depth; ++i) {
      v = Struct(Chain::kTypeName, {{"depth", Int(i)}, {"next", Some(std::move(v))}});
    }
    return v;
  }
  static constexpr const char* kStep = "next";
  static constexpr const char* kBadField = "depth";
  // Chains release themselves link by link.
  static void Release(std::shared_ptr<const Chain> head) { head.reset(); }
};

template <>
struct Shape<Tree> {
  static std::shared_ptr<const Tree> Make(long long depth, long long innermost = 1) {
    std::shared_ptr<const Tree> head;
    for (long long i = 1; i <= depth; ++i) {
      auto node = std::make_shared<Tree>();
      node->label = std::to_string(i == 1 ? innermost : i);
      if (head) node->children.push_back(std::move(head));
      head = std::move(node);
    }
    return head;
  }
  static const Tree* Inner(const Tree& r) {
    return r.children.empty() ? nullptr : r.children.front().get();
  }
  static long long Level(const Tree& r) { return std::stoll(r.label); }
  static const DataValue* InnerValue(const DataValue& v) {
    const auto& children = static_cast<const ListValue&>(
        *static_cast<const CompoundValue&>(v).GetFields().at("children"));
    return children.GetElements().empty() ? nullptr : children.GetElements().front().get();
  }
  static std::string InnermostText() { return "com.example.test.tree{children: [], label: \"1\"}"; }
  static std::string Closing(long long level) {
    return "], label: \"" + std::to_string(level) + "\"}";
  }
  static DataValuePtr Malformed(long long depth) {
    DataValuePtr v = Struct(Tree::kTypeName, {{"label", Int(1)}, {"children", List(1, {})}});
    for (long long i = 2; i <= depth; ++i) {
      v = Struct(Tree::kTypeName,
                 {{"label", Str(std::to_string(i))}, {"children", List(1, {std::move(v)})}});
    }
    return v;
  }
  static constexpr const char* kStep = "children";
  static constexpr const char* kBadField = "label";
  // A list member destroys its elements inside its own destructor, one level per frame, so a
  // deep tree is taken apart here from the top.
  static void Release(std::shared_ptr<const Tree> head) {
    while (head) {
      std::shared_ptr<const Tree> next = Inner(*head) ? head->children.front() : nullptr;
      if (head.use_count() == 1) const_cast<Tree&>(*head).children.clear();
      head = std::move(next);
    }
  }
};

// Levels of a native record, and how many of them do not carry the level they should (the
// outermost kDepth, then one less per step, the innermost `innermost`).
template <class R>
std::pair<long long, long long> CountNative(const R& outermost, long long innermost = 1) {
  long long levels = 0;
  long long wrong = 0;
  for (const R* r = &outermost; r != nullptr; r = Shape<R>::Inner(*r)) {
    const long long expected = Shape<R>::Inner(*r) ? kDepth - levels : innermost;
    if (Shape<R>::Level(*r) != expected) ++wrong;
    ++levels;
  }
  return {levels, wrong};
}

template <class R>
class DeepData : public ::testing::Test {};
using Shapes = ::testing::Types<Chain, Tree>;
TYPED_TEST_SUITE(DeepData, Shapes);

// Native to value, then equality (equal, and unequal only at the innermost level), the text
// form, and destruction of the values.
TYPED_TEST(DeepData, WritesComparesPrintsAndDestroysValues) {
  using S = Shape<TypeParam>;
  RunOnSmallStack([] {
    std::shared_ptr<const TypeParam> native = S::Make(kDepth);
    DataValuePtr value = WriteOk(*native);
    ASSERT_TRUE(value);

    long long levels = 0;
    const DataValue* innermost = nullptr;
    for (const DataValue* v = value.get(); v != nullptr; v = S::InnerValue(*v), ++levels) {
      innermost = v;
    }
    EXPECT_EQ(levels, kDepth);

    DataValuePtr same = WriteOk(*native);
    EXPECT_TRUE(Equals(value, same));
    EXPECT_TRUE(Equals(same, value));
    same.reset();
    std::shared_ptr<const TypeParam> other = S::Make(kDepth, 2);
    DataValuePtr differs = WriteOk(*other);
    S::Release(std::move(other));
    EXPECT_FALSE(Equals(value, differs));
    EXPECT_FALSE(Equals(differs, value));
    differs.reset();

    const std::string text = ToText(value);
    EXPECT_EQ(text.rfind(std::string(TypeParam::kTypeName) + "{", 0), 0u);
    std::string tail = S::InnermostText();
    for (long long level = 2; level <= kDepth; ++level) tail += S::Closing(level);
    EXPECT_TRUE(EndsWith(text, tail))
        << text.substr(text.size() - std::min<std::size_t>(text.size(), 200));
    EXPECT_EQ(Count(text, TypeParam::kTypeName), kDepth);

    // Keep the innermost level observable while the outermost owner lets go.
    std::weak_ptr<const DataValue> watch;
    const DataValue* inner = value.get();
    while (S::InnerValue(*inner) != innermost) inner = S::InnerValue(*inner);
    const auto& holder = static_cast<const CompoundValue&>(*inner).GetFields().at(S::kStep);
    if (holder->GetType() == OptionalValue::kType) {
      watch = static_cast<const OptionalValue&>(*holder).value();
    } else {
      watch = static_cast<const ListValue&>(*holder).GetElements().front();
    }
    ASSERT_EQ(watch.lock().get(), innermost);
    value.reset();
    EXPECT_TRUE(watch.expired());
    S::Release(std::move(native));
  });
}

// Value to native, reading every level back, then destruction of what was read.
TYPED_TEST(DeepData, ReadsEveryLevelBack) {
  using S = Shape<TypeParam>;
  std::shared_ptr<const TypeParam> original = S::Make(kDepth);
  DataValuePtr value = WriteOk(*original);
  S::Release(std::move(original));
  RunOnSmallStack([&] {
    auto read = std::make_shared<TypeParam>();
    std::list<BaseMessage> messages;
    EXPECT_TRUE(Read(value, *read, messages));
    EXPECT_TRUE(messages.empty());
    const auto counted = CountNative(*read);
    EXPECT_EQ(counted.first, kDepth);
    EXPECT_EQ(counted.second, 0);
    value.reset();
    S::Release(std::move(read));
  });
}

// The definition of a self-containing record, derived on the small stack, accepts the deep value
// and pins a malformed innermost level on its full path.
TYPED_TEST(DeepData, DerivedDefinitionValidatesEveryLevel) {
  using S = Shape<TypeParam>;
  RunOnSmallStack([] {
    const auto definition = Define<TypeParam>();
    ASSERT_TRUE(definition);
    std::shared_ptr<const TypeParam> native = S::Make(kDepth);
    DataValuePtr value = WriteOk(*native);
    S::Release(std::move(native));
    EXPECT_FALSE(Validate(definition, value));
    value.reset();

    const auto failure = Validate(definition, S::Malformed(kDepth));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message.GetId(), Jorv::MessageIds::kValidationKind);
    EXPECT_TRUE(EndsWith(failure->path, S::kBadField)) << failure->path.substr(0, 80);
    EXPECT_EQ(Count(failure->path, S::kStep), kDepth - 1);
  });
}

// A native copy of a chain record shares its links; destroying the original and the copy frees
// every link, in constant stack.
TEST(DeepData, NativeChainCopiesAndDestroys) {
  RunOnSmallStack([] {
    std::shared_ptr<const Chain> original = Shape<Chain>::Make(kDepth);
    const Chain* innermost = original.get();
    while (innermost->next) innermost = innermost->next.get();
    std::weak_ptr<const Chain> watch;
    for (const Chain* c = original.get(); c->next; c = c->next.get()) {
      if (c->next.get() == innermost) watch = c->next;
    }
    ASSERT_FALSE(watch.expired());

    auto copy = std::make_unique<Chain>(*original);
    EXPECT_EQ(copy->next.get(), original->next.get());
    const auto counted = CountNative(*copy);
    EXPECT_EQ(counted.first, kDepth);
    EXPECT_EQ(counted.second, 0);

    original.reset();
    EXPECT_FALSE(watch.expired());
    copy.reset();
    EXPECT_TRUE(watch.expired());
  });
}

}  // namespace
