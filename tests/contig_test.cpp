// Contigs: the votes of a column (weights, ties, quality, the conflict share's edge, gaps'
// weights), the layout of insertions, N between covered stretches, a read across the origin of
// a circular reference, the reads left out and why, and reads joined by overlap without one.
#include "analysis/contig.h"

#include <gtest/gtest.h>

#include <random>

namespace vistrel::testing {
namespace {

std::string randomBases(std::mt19937& random, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += "ACGT"[random() % 4];
  return s;
}

/// A read of `letters` laid whole, every base at `quality` (no quality values when 0).
ContigInput readOf(const std::string& letters, std::uint8_t quality = 40) {
  ContigInput read;
  read.name = "read";
  read.letters = letters;
  if (quality > 0) read.qualities.assign(letters.size(), quality);
  read.region = {0, static_cast<std::int32_t>(letters.size())};
  return read;
}

ContigInput reversed(ContigInput read) {
  read.letters = reverseComplementOf(read.letters);
  std::reverse(read.qualities.begin(), read.qualities.end());
  return read;
}

ContigSet onReference(const std::vector<ContigInput>& reads, const std::string& reference,
                      ContigOptions options = {}) {
  const PreparedReference prepared(reference);
  return buildContigs(reads, &prepared, "ref", options);
}

const ContigColumn& columnAt(const Contig& contig, std::int32_t position) {
  for (const ContigColumn& c : contig.columns) {
    if (!c.insertion && c.referenceIndex == position) return c;
  }
  static const ContigColumn none;
  return none;
}

/// A reference whose letters around position 100 are "GACTG", so that a base lost or gained
/// there has one place only.
std::string plainReference() {
  std::mt19937 random(3);
  std::string reference = randomBases(random, 240);
  reference.replace(98, 5, "GACTG");
  return reference;
}

TEST(Contig, VotesWeighQualityAndTiesGoToTheReferenceThenACGT) {
  const std::string reference = plainReference();  // 'C' at 100
  struct Vote {
    char letter;
    std::uint8_t quality;
    bool reverse = false;
  };
  struct Case {
    const char* what;
    std::vector<Vote> votes;
    char consensus;
    int quality;
    bool conflict, difference, bothStrands = false;
  };
  const std::vector<Case> cases = {
      {"a weak read at a quarter of the best is no conflict",
       {{'C', 40}, {'C', 40, true}, {'T', 20}},
       'C',
       60,
       false,
       false,
       true},
      {"a weak read past a quarter is one",
       {{'C', 40}, {'C', 40}, {'T', 21}},
       'C',
       59,
       true,
       false},
      {"two strong reads outvote the reference",
       {{'T', 40}, {'T', 40, true}, {'C', 10}},
       'T',
       70,
       false,
       true,
       true},
      {"a tie goes to the reference letter", {{'T', 30}, {'C', 30}}, 'C', 0, true, false},
      {"a tie without it to the first of ACGT",
       {{'T', 30}, {'G', 30, true}},
       'G',
       0,
       true,
       true,
       true},
      {"quality stops at 93", {{'C', 40}, {'C', 40}, {'C', 40}}, 'C', 93, false, false},
      {"a lone read below 20 is a conflict", {{'C', 19}}, 'C', 19, true, false},
      {"a lone read of 20 is none", {{'A', 20}}, 'A', 20, false, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    std::vector<ContigInput> reads;
    for (const Vote& v : k.votes) {
      ContigInput read = readOf(reference.substr(40, 120));
      read.letters[60] = v.letter;
      read.qualities[60] = v.quality;
      reads.push_back(v.reverse ? reversed(read) : read);
    }
    const ContigSet set = onReference(reads, reference);
    ASSERT_EQ(set.contigs.size(), 1u);
    ASSERT_TRUE(set.unplaced.empty());
    const ContigColumn& c = columnAt(set.contigs[0], 100);
    EXPECT_EQ(c.coverage, static_cast<std::int32_t>(k.votes.size()));
    EXPECT_EQ(c.consensus, k.consensus);
    EXPECT_EQ(c.quality, k.quality);
    EXPECT_EQ(c.conflict, k.conflict);
    EXPECT_EQ(c.difference, k.difference);
    EXPECT_EQ(c.bothStrands, k.bothStrands);
    EXPECT_EQ(consensusCheck(set.contigs[0]).differences.size(), k.difference ? 1u : 0u);
  }
}

TEST(Contig, AGapWeighsAsTheWeakerBaseBesideIt) {
  const std::string reference = plainReference();
  // One read lacks the C at 100, its neighbours of quality 30 and 12: its gap weighs 12.
  ContigInput lacking = readOf(reference.substr(40, 60) + reference.substr(101, 59));
  lacking.qualities[59] = 30;
  lacking.qualities[60] = 12;
  for (const int other : {15, 10}) {
    SCOPED_TRACE(other);
    ContigInput keeping = readOf(reference.substr(40, 120));
    keeping.qualities[60] = static_cast<std::uint8_t>(other);
    const ContigSet set = onReference({lacking, keeping}, reference);
    const ContigColumn& c = columnAt(set.contigs[0], 100);
    EXPECT_EQ(c.consensus, other > 12 ? 'C' : '-');
    EXPECT_EQ(c.quality, other > 12 ? other - 12 : 12 - other);
    EXPECT_EQ(c.difference, other < 12);
    EXPECT_EQ(set.contigs[0].consensusLetters().size(), other > 12 ? 120u : 119u);
  }
}

TEST(Contig, InsertionsMakeAsManyColumnsAsTheLongestAndStartAtTheFirst) {
  const std::string reference = plainReference();
  const std::string left = reference.substr(40, 61), right = reference.substr(101, 59);
  // Two reads add "TT" after 100, one adds "T", one adds nothing.
  const std::vector<ContigInput> reads = {readOf(left + "TT" + right), readOf(left + "TT" + right),
                                          readOf(left + "T" + right), readOf(left + right)};
  const Contig contig = onReference(reads, reference).contigs[0];
  ASSERT_EQ(contig.columns.size(), reference.size() + 2);
  const std::size_t first = 101;  // the columns of positions 0 to 100 come before
  for (std::size_t i : {first, first + 1}) {
    EXPECT_TRUE(contig.columns[i].insertion);
    EXPECT_EQ(contig.columns[i].referenceIndex, 100);
    EXPECT_EQ(contig.columns[i].reference, '-');
  }
  // T wins the first insertion column, 120 against one gap; the second ties 80 against two
  // gaps, and a tie goes to the reference's gap.
  EXPECT_EQ(contig.columns[first].consensus, 'T');
  EXPECT_EQ(contig.columns[first].quality, 80);
  EXPECT_TRUE(contig.columns[first].difference);
  EXPECT_EQ(contig.columns[first + 1].consensus, '-');
  EXPECT_EQ(contig.columns[first + 1].quality, 0);
  EXPECT_FALSE(contig.columns[first + 1].difference);
  EXPECT_EQ(contig.consensusLetters(), left + "T" + right);
  const PlacedRead& one = contig.reads[2];
  const std::size_t at = first - static_cast<std::size_t>(one.firstColumn);
  EXPECT_EQ(one.bases[at], 61);
  EXPECT_EQ(one.bases[at + 1], -1);
}

TEST(Contig, UncoveredPositionsBetweenReadsAreNOfQualityZero) {
  const std::string reference = plainReference();
  const ContigSet set =
      onReference({readOf(reference.substr(20, 60)), readOf(reference.substr(150, 60))}, reference);
  const Contig& contig = set.contigs[0];
  EXPECT_EQ(contig.consensusLetters(),
            reference.substr(20, 60) + std::string(70, 'N') + reference.substr(150, 60));
  const std::vector<std::uint8_t> q = contig.consensusQualities();
  EXPECT_EQ(q[59], 40);
  EXPECT_EQ(q[60], 0);
  EXPECT_EQ(q[129], 0);
  EXPECT_EQ(q[130], 40);
  EXPECT_TRUE(consensusCheck(contig).differences.empty());
}

TEST(Contig, AReadAcrossTheOriginOfACircularReference) {
  std::mt19937 random(9);
  const std::string reference = randomBases(random, 400);
  const std::string across = reference.substr(330) + reference.substr(0, 80);
  ContigOptions circular;
  circular.circular = true;
  const ContigSet set = onReference({reversed(readOf(across)), readOf(reference.substr(100, 100))},
                                    reference, circular);
  ASSERT_TRUE(set.unplaced.empty());
  const Contig& contig = set.contigs[0];
  EXPECT_TRUE(contig.circular);
  EXPECT_EQ(contig.reads[0].firstColumn, 330);
  EXPECT_EQ(contig.reads[0].bases.size(), 150u);
  EXPECT_EQ(contig.reads[0].alignedBases, 150);
  // The shortest run holding both reads starts at the crossing read and wraps.
  const std::vector<std::int32_t> span = contig.consensusColumns();
  EXPECT_EQ(span.front(), 330);
  EXPECT_EQ(span.back(), 199);
  EXPECT_EQ(contig.consensusLetters(), across + std::string(20, 'N') + reference.substr(100, 100));
  EXPECT_TRUE(consensusCheck(contig).differences.empty());

  // On a linear reference the read keeps one side of the origin only.
  const ContigSet linear = onReference({readOf(across)}, reference);
  EXPECT_EQ(linear.contigs[0].reads[0].alignedBases, 80);
}

TEST(Contig, ReadsThatAlignTooLittleOrTooPoorlyAreLeftOutWithTheReason) {
  std::mt19937 random(4);
  const std::string reference = randomBases(random, 500);
  std::string poor = reference.substr(100, 200);
  for (std::size_t i = 0; i < poor.size(); i += 3) poor[i] = poor[i] == 'A' ? 'C' : 'A';
  ContigInput noRegion = readOf(reference.substr(0, 100));
  noRegion.region = {};
  const std::vector<ContigInput> reads = {readOf(reference.substr(50, 200)), noRegion,
                                          readOf(reference.substr(300, 30)), readOf(poor)};
  const ContigSet set = onReference(reads, reference);
  ASSERT_EQ(set.contigs[0].reads.size(), 1u);
  ASSERT_EQ(set.unplaced.size(), 3u);
  EXPECT_EQ(set.unplaced[0].input, 1);
  EXPECT_EQ(set.unplaced[0].reason, "no good region");
  EXPECT_EQ(set.unplaced[1].reason, "30 bases aligned, fewer than 50");
  EXPECT_EQ(set.unplaced[2].reason.substr(0, 10), "identity 0");
  EXPECT_NE(set.unplaced[2].reason.find(" below 0.8"), std::string::npos);
  // The thresholds are the options'.
  ContigOptions lenient;
  lenient.minAligned = 30;
  lenient.minIdentity = 0.5;
  EXPECT_EQ(onReference(reads, reference, lenient).unplaced.size(), 1u);
}

TEST(Contig, ANonLeftAlignedConsensusGapIsToldAtItsLeftmostPlace) {
  std::mt19937 random(8);
  std::string reference = randomBases(random, 200);
  reference.replace(99, 4, "GAAT");  // the A's at 100 and 101
  // One read lacks both A's (its gap weighs 20); the other has them at 40 and 10: the columns
  // vote A then '-'.
  ContigInput lacking = readOf(reference.substr(40, 60) + reference.substr(102, 60), 20);
  ContigInput keeping = readOf(reference.substr(40, 122));
  keeping.qualities[60] = 40;
  keeping.qualities[61] = 10;
  const Contig contig = onReference({lacking, keeping}, reference).contigs[0];
  EXPECT_EQ(columnAt(contig, 100).consensus, 'A');
  EXPECT_EQ(columnAt(contig, 101).consensus, '-');
  const ReadCheck check = consensusCheck(contig);
  ASSERT_EQ(check.differences.size(), 1u);
  EXPECT_EQ(check.differences[0].referencePosition, 101);
  EXPECT_EQ(check.differences[0].read, '-');
  EXPECT_TRUE(columnAt(contig, 100).difference);
  EXPECT_FALSE(columnAt(contig, 101).difference);
}

TEST(Contig, UpdatingAColumnFollowsTheEditedRead) {
  const std::string reference = plainReference();
  std::vector<ContigInput> reads = {readOf(reference.substr(40, 120)),
                                    readOf(reference.substr(60, 120))};
  Contig contig = onReference(reads, reference).contigs[0];
  const std::int32_t column = 100;  // no insertion column before it
  ASSERT_EQ(contig.columns[column].referenceIndex, 100);
  reads[0].letters[60] = 'G';
  reads[1].letters[40] = 'G';
  updateColumn(contig, reads, column);
  EXPECT_EQ(contig.columns[column].consensus, 'G');
  EXPECT_EQ(contig.columns[column].quality, 80);
  EXPECT_TRUE(contig.columns[column].difference);
}

TEST(Contig, WithoutAReferenceReadsJoinByOverlapAndTheRestStandAlone) {
  std::mt19937 random(12);
  const std::string clone = randomBases(random, 700);
  const std::string stranger = randomBases(random, 200);
  ContigInput noRegion = readOf(clone.substr(0, 100));
  noRegion.region = {};
  // Overlaps of 100 and 120 bases, the middle read on the other strand; a lone unrelated read.
  const std::vector<ContigInput> reads = {readOf(clone.substr(0, 300)), readOf(stranger), noRegion,
                                          reversed(readOf(clone.substr(200, 300))),
                                          readOf(clone.substr(380, 320))};
  const ContigSet set = buildContigs(reads, nullptr, "", {});
  ASSERT_EQ(set.contigs.size(), 2u);
  ASSERT_EQ(set.unplaced.size(), 1u);
  EXPECT_EQ(set.unplaced[0].input, 2);
  const Contig& joined = set.contigs[0];
  EXPECT_FALSE(joined.hasReference);
  ASSERT_EQ(joined.reads.size(), 3u);
  EXPECT_EQ(joined.consensusLetters(), clone);
  for (const PlacedRead& r : joined.reads) EXPECT_EQ(r.reverse, r.input == 3);
  EXPECT_EQ(set.contigs[1].consensusLetters(), stranger);

  // An overlap shorter than --min-overlap joins nothing.
  ContigOptions strict;
  strict.minOverlap = 110;
  EXPECT_EQ(buildContigs(reads, nullptr, "", strict).contigs.size(), 3u);
}

}  // namespace
}  // namespace vistrel::testing
