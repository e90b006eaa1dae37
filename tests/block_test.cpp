// Blocks keep their contents when they grow and report allocation failure without change.
#include "platform/block.h"

#include <gtest/gtest.h>

#include "document/chromatogram.h"

namespace vistrel {
namespace {

TEST(Block, GrowthKeepsContentsAndSize) {
  Block block;
  ASSERT_TRUE(block.assign("ACGT", 4));
  ASSERT_TRUE(block.resize(20));
  EXPECT_EQ(block.size(), 20u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block.data()), 4), "ACGT");
}

TEST(Block, FailedGrowthLeavesBlockAsItWas) {
  Block block;
  ASSERT_TRUE(block.assign("ACGT", 4));
  ScopedAllocationLimit limit(16);
  EXPECT_FALSE(block.resize(17));
  EXPECT_EQ(block.size(), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block.data()), 4), "ACGT");
  EXPECT_TRUE(block.resize(16));
}

TEST(Block, MoveTransfersOwnership) {
  Block a;
  ASSERT_TRUE(a.assign("AC", 2));
  Block b = std::move(a);
  EXPECT_EQ(a.size(), 0u);
  EXPECT_EQ(a.data(), nullptr);
  EXPECT_EQ(b.size(), 2u);
}

TEST(BaseCallsDeathTest, DebugBuildsStopAnAccessPastTheCountsThatTheSpareRoomHides) {
  // Three letters and peaks in blocks with room for more, as after an insertion and deletions.
  BaseCalls calls;
  ASSERT_TRUE(calls.bases.assign("ACGTTTTTTTTTTTTT", 16));
  ASSERT_TRUE(calls.peaks.assign("\0\1\0\2\0\3\0\4\0\5\0\6", 12));
  calls.baseCount = calls.peakCount = 3;
  EXPECT_EQ(calls.base(2), 'G');
  EXPECT_DEBUG_DEATH(calls.base(3), "");
  EXPECT_DEBUG_DEATH(calls.setBase(5, 'A'), "");
  EXPECT_DEBUG_DEATH(calls.peak(3), "");
  EXPECT_DEBUG_DEATH(calls.setPeak(3, 7), "");
}

}  // namespace
}  // namespace vistrel
