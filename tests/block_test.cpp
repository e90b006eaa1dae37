// Blocks keep their contents when they grow and report allocation failure without change.
#include "platform/block.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vistrel
