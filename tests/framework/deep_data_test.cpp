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

using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::ToText;
using namespace Jorv::Testing;
using TestRecords::Chain;
using TestRecords::Tree;

constexpr long long kDepth = 1000000;

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// How to build each shape natively (levels numbered from the innermost, which is `innermost`),
// take it apart, and build a value whose innermost record is malformed.
template <class R>
struct Shape;

template <>
struct Shape<Chain> {
  static std::shared_ptr<const Chain> Make(long long innermost) {
    std::shared_ptr<const Chain> head;
    for (long long i = 1; i <= kDepth; ++i) {
      auto link = std::make_shared<Chain>();
      link->depth = i == 1 ? innermost : i;
      link->next = std::move(head);
      head = std::move(link);
    }
    return head;
  }
  static void Release(std::shared_ptr<const Chain> head) { head.reset(); }
  static DataValuePtr Malformed() {
    DataValuePtr v = Struct(Chain::kTypeName, {{"depth", Real(0.5)}, {"next", Unset()}});
    for (long long i = 2; i <= kDepth; ++i) {
      v = Struct(Chain::kTypeName, {{"depth", Int(i)}, {"next", Some(std::move(v))}});
    }
    return v;
  }
  static constexpr const char* kStep = "next";
  static constexpr const char* kInnermostText = "com.example.test.chain{depth: 1, next: unset}";
};

template <>
struct Shape<Tree> {
  static std::shared_ptr<const Tree> Make(long long innermost) {
    std::shared_ptr<const Tree> head;
    for (long long i = 1; i <= kDepth; ++i) {
      auto node = std::make_shared<Tree>();
      node->label = std::to_string(i == 1 ? innermost : i);
      if (head) node->children.push_back(std::move(head));
      head = std::move(node);
    }
    return head;
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
  static DataValuePtr Malformed() {
    DataValuePtr v = Struct(Tree::kTypeName, {{"label", Int(1)}, {"children", List(1, {})}});
    for (long long i = 2; i <= kDepth; ++i) {
      v = Struct(Tree::kTypeName,
                 {{"label", Str(std::to_string(i))}, {"children", List(1, {std::move(v)})}});
    }
    return v;
  }
  static constexpr const char* kStep = "children";
  static constexpr const char* kInnermostText = "com.example.test.tree{children: [], label: \"1\"}";
};

template <class R>
class DeepData : public ::testing::Test {};
using Shapes = ::testing::Types<Chain, Tree>;
TYPED_TEST_SUITE(DeepData, Shapes);

TYPED_TEST(DeepData, WriteCompareValidatePrintReadAndDestroy) {
  using S = Shape<TypeParam>;
  RunOnSmallStack([] {
    std::shared_ptr<const TypeParam> native = S::Make(1);
    DataValuePtr value = WriteOk(*native);
    EXPECT_TRUE(Jorv::Data::Equals(value, WriteOk(*native)));
    std::shared_ptr<const TypeParam> other = S::Make(2);
    EXPECT_FALSE(Jorv::Data::Equals(WriteOk(*other), value));
    S::Release(std::move(other));

    const auto definition = Define<TypeParam>();
    EXPECT_FALSE(Jorv::Data::Validate(definition, value));
    const auto failure = Jorv::Data::Validate(definition, S::Malformed());
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message.id, Jorv::MessageIds::kValidationKind);
    EXPECT_EQ(Count(failure->path, S::kStep), static_cast<std::size_t>(kDepth - 1));

    const std::string text = ToText(value);
    EXPECT_EQ(text.rfind(std::string(TypeParam::kTypeName) + "{", 0), 0u);
    EXPECT_EQ(Count(text, TypeParam::kTypeName), static_cast<std::size_t>(kDepth));
    EXPECT_NE(text.find(S::kInnermostText), std::string::npos);

    auto read = std::make_shared<TypeParam>();
    std::list<BaseMessage> messages;
    EXPECT_TRUE(Read(value, *read, messages));
    EXPECT_TRUE(Jorv::Data::Equals(WriteOk(*read), value));
    value.reset();
    S::Release(std::move(read));
    S::Release(std::move(native));
  });
}

}  // namespace
