#include "session/follower_queues.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

FollowerQueues::Line Record(int seq) {
  return std::make_shared<const std::string>("{\"seq\":" + std::to_string(seq) + "}\n");
}

// Writes all that `id` is owed, as a reader that keeps up would take it, in pieces of `piece`.
std::string Drain(FollowerQueues& queues, FollowerQueues::Id id, std::size_t piece) {
  std::string got;
  while (const auto rest = queues.Next(id)) {
    const std::string written = rest->line->substr(rest->offset, piece);
    got += written;
    queues.Written(id, written.size());
  }
  return got;
}

TEST(FollowerQueues, AStalledFollowerIsCutOffAtItsBoundWhileTheOthersGoOn) {
  FollowerQueues queues;
  ASSERT_TRUE(queues.Add(1));  // reads along
  ASSERT_TRUE(queues.Add(2));  // stops reading
  ASSERT_TRUE(queues.Add(3));  // reads a record's first bytes, then stops
  queues.Push(Record(0));
  queues.Written(3, 4);
  std::string expected = *Record(0);
  for (int seq = 1; seq < 1023; ++seq) {
    ASSERT_TRUE(queues.Push(Record(seq)).empty()) << seq;
    expected += *Record(seq);
    if (seq % 100 == 0) {
      EXPECT_EQ(Drain(queues, 1, 5), expected);
      expected.clear();
    }
  }
  EXPECT_EQ(queues.Behind(2), FollowerQueues::kCutBehind - 1);
  EXPECT_EQ(queues.Behind(3), FollowerQueues::kCutBehind - 1);  // the part-written one counts

  const std::vector<FollowerQueues::Id> cut = queues.Push(Record(1023));
  EXPECT_EQ(cut, (std::vector<FollowerQueues::Id>{2, 3}));
  EXPECT_EQ(queues.Count(), 1u);
  EXPECT_FALSE(queues.Next(2));
  queues.Written(3, 10);  // a write that was under way as it was cut: nothing to account
  EXPECT_EQ(queues.Behind(3), 0u);
  EXPECT_EQ(Drain(queues, 1, 1000), expected + *Record(1023));

  // A follower that keeps up is never cut, however long it follows.
  for (int seq = 1024; seq < 5000; ++seq) {
    EXPECT_TRUE(queues.Push(Record(seq)).empty());
    EXPECT_EQ(Drain(queues, 1, 7), *Record(seq));
  }
}

TEST(FollowerQueues, SixteenFollowAndTheSeventeenthIsRefused) {
  FollowerQueues queues;
  for (FollowerQueues::Id id = 0; id < 16; ++id) EXPECT_TRUE(queues.Add(id)) << id;
  EXPECT_FALSE(queues.Add(16));
  EXPECT_FALSE(queues.Add(3)) << "one already following is not added twice";
  queues.Remove(3);  // gone: its place is free at once
  EXPECT_TRUE(queues.Add(16));
  queues.Push(Record(1));
  EXPECT_EQ(queues.Behind(16), 1u);
  EXPECT_EQ(queues.Behind(3), 0u);
}

TEST(FollowerQueues, AFollowerGetsOnlyTheRecordsFromWhenItCame) {
  FollowerQueues queues;
  queues.Add(1);
  queues.Push(Record(1));
  queues.Add(2);
  queues.Push(Record(2));
  EXPECT_EQ(Drain(queues, 1, 100), *Record(1) + *Record(2));
  EXPECT_EQ(Drain(queues, 2, 100), *Record(2));
}

}  // namespace
}  // namespace varnel
