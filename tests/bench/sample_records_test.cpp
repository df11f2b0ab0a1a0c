#include "sample_records.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace StatsBench;

// The samples cover snapshots with and without resource ids and values with and without their
// double; our tree and both peers' documents must hold the same content, and each peer must
// read its document back to the input, or the benchmarks would compare different work.
TEST(SampleRecords, EveryTreeHoldsTheSameContentAndReadsBack) {
  for (const Shape shape : {kShapes[0], Shape{4, 3}, Shape{0, 0}}) {
    SCOPED_TRACE(ShapeName(shape));
    const auto records = MakeResult(shape);
    const Plain::Result input = Plain::FromRecords(*records);
    ASSERT_EQ(input.snapshots.size(), static_cast<std::size_t>(shape.snapshots));

    std::list<Jorv::BaseMessage> messages;
    Jorv::Data::DataValuePtr ours;
    ASSERT_TRUE(ToValue(*records, ours, messages));
    const nlohmann::json byNlohmann = input;
    const boost::json::value byBoost = boost::json::value_from(input);
    EXPECT_EQ(ContentOf(ours), byNlohmann);
    EXPECT_EQ(nlohmann::json::parse(boost::json::serialize(byBoost)), byNlohmann);
    EXPECT_TRUE(byNlohmann.get<Plain::Result>() == input);
    EXPECT_TRUE(boost::json::value_to<Plain::Result>(byBoost) == input);
  }
}

// Node counts follow the encodings: a record is one node plus its fields, an optional one
// node plus what it holds; JSON leaves an unset optional out.
TEST(SampleRecords, CountNodesCountsEveryValueOfEachTree) {
  Provider::Value bare;
  bare.chandle = 1;
  Provider::Value withRaw = bare;
  withRaw.raw = 2;
  Provider::Snapshot snapshot;
  snapshot.values = {std::make_shared<Provider::Value>(withRaw)};

  std::list<Jorv::BaseMessage> messages;
  Jorv::Data::DataValuePtr value;
  ASSERT_TRUE(ToValue(bare, value, messages));
  EXPECT_EQ(CountNodes(value), 5u);
  ASSERT_TRUE(ToValue(withRaw, value, messages));
  EXPECT_EQ(CountNodes(value), 6u);
  ASSERT_TRUE(ToValue(snapshot, value, messages));
  EXPECT_EQ(CountNodes(value), 3u + 6u);

  Plain::Snapshot plain;
  plain.values = {Plain::Value{1, 2, std::nullopt, std::nullopt}};
  EXPECT_EQ(CountNodes(nlohmann::json(plain)), 2u + 3u);
  EXPECT_EQ(CountNodes(boost::json::value_from(plain)), 2u + 3u);
}

}  // namespace
