// Every operation on data nested 1,000,000 deep, run on a thread with a 256 KiB stack: a recursion
// of one frame per level would overflow it, so each operation must keep its work on the heap.
// Chain nests a record in itself through an optional member, Tree through a list member.

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>

#include "framework/core/validation.h"
#include "support/small_stack.h"
#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::Data::DataValuePtr;
using namespace Jorv::Testing;
using TestRecords::Chain;
using TestRecords::Tree;

constexpr long long kDepth = 1000000;

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// Each shape: how a level holds the level inside it, natively and as a value (the innermost value
// is malformed), and how to take a native chain of levels apart.
template <class R>
struct Shape;

template <>
struct Shape<Chain> {
  static void Link(Chain& level, long long number, std::shared_ptr<const Chain> inner) {
    level.depth = number;
    level.next = std::move(inner);
  }
  static DataValuePtr Value(long long number, DataValuePtr inner) {
    if (!inner) return Struct(Chain::kTypeName, {{"depth", Real(0.5)}, {"next", Unset()}});
    return Struct(Chain::kTypeName, {{"depth", Int(number)}, {"next", Some(std::move(inner))}});
  }
  static void Release(std::shared_ptr<const Chain> head) { head.reset(); }
  static constexpr const char* kStep = "next";
  static constexpr const char* kInnermostText = "com.example.test.chain{depth: 1, next: unset}";
};

template <>
struct Shape<Tree> {
  static void Link(Tree& level, long long number, std::shared_ptr<const Tree> inner) {
    level.label = std::to_string(number);
    if (inner) level.children.push_back(std::move(inner));
  }
  static DataValuePtr Value(long long number, DataValuePtr inner) {
    if (!inner) return Struct(Tree::kTypeName, {{"label", Int(1)}, {"children", List(1, {})}});
    return Struct(Tree::kTypeName, {{"label", Str(std::to_string(number))},
                                    {"children", List(1, {std::move(inner)})}});
  }
  // A list member destroys its elements inside its own destructor, one level per frame, so a
  // deep tree is taken apart here from the top.
  static void Release(std::shared_ptr<const Tree> head) {
    while (head) {
      std::shared_ptr<const Tree> next = head->children.empty() ? nullptr : head->children.front();
      if (head.use_count() == 1) const_cast<Tree&>(*head).children.clear();
      head = std::move(next);
    }
  }
  static constexpr const char* kStep = "children";
  static constexpr const char* kInnermostText = "com.example.test.tree{children: [], label: \"1\"}";
};

// kDepth levels numbered from the innermost, which is numbered `innermost`.
template <class R>
std::shared_ptr<const R> Make(long long innermost) {
  std::shared_ptr<const R> head;
  for (long long i = 1; i <= kDepth; ++i) {
    auto level = std::make_shared<R>();
    Shape<R>::Link(*level, i == 1 ? innermost : i, std::move(head));
    head = std::move(level);
  }
  return head;
}
template <class R>
DataValuePtr Malformed() {
  DataValuePtr value;
  for (long long i = 1; i <= kDepth; ++i) value = Shape<R>::Value(i, std::move(value));
  return value;
}

template <class R>
class DeepData : public ::testing::Test {};
using Shapes = ::testing::Types<Chain, Tree>;
TYPED_TEST_SUITE(DeepData, Shapes);

TYPED_TEST(DeepData, WriteCompareValidatePrintReadAndDestroy) {
  using S = Shape<TypeParam>;
  RunOnSmallStack([] {
    std::shared_ptr<const TypeParam> native = Make<TypeParam>(1);
    DataValuePtr value = WriteOk(*native);
    EXPECT_TRUE(Jorv::Data::Equals(value, WriteOk(*native)));
    std::shared_ptr<const TypeParam> other = Make<TypeParam>(2);
    EXPECT_FALSE(Jorv::Data::Equals(WriteOk(*other), value));
    S::Release(std::move(other));

    const auto definition = Define<TypeParam>();
    EXPECT_FALSE(Jorv::Data::Validate(definition, value));
    const auto failure = Jorv::Data::Validate(definition, Malformed<TypeParam>());
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message.id, Jorv::MessageIds::kValidationKind);
    EXPECT_EQ(Count(failure->path, S::kStep), static_cast<std::size_t>(kDepth - 1));

    const std::string text = Jorv::Data::ToText(value);
    EXPECT_EQ(text.rfind(std::string(TypeParam::kTypeName) + "{", 0), 0u);
    EXPECT_EQ(Count(text, TypeParam::kTypeName), static_cast<std::size_t>(kDepth));
    EXPECT_NE(text.find(S::kInnermostText), std::string::npos);

    auto read = std::make_shared<TypeParam>();
    std::list<Jorv::BaseMessage> messages;
    EXPECT_TRUE(Read(value, *read, messages));
    EXPECT_TRUE(Jorv::Data::Equals(WriteOk(*read), value));
    value.reset();
    S::Release(std::move(read));
    S::Release(std::move(native));
  });
}

}  // namespace
