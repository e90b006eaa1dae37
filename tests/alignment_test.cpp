// Alignment to a reference: planted differences found exactly on both strands, gaps in repeats
// at their leftmost place, and the three reference layouts.
#include "analysis/alignment.h"

#include <gtest/gtest.h>

#include <random>

#include "document/reference.h"

namespace vistrel::testing {
namespace {

std::string randomBases(std::mt19937& random, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += "ACGT"[random() % 4];
  return s;
}

struct Found {
  std::int32_t referenceIndex, readIndex;
  char reference, read;
  bool operator==(const Found&) const = default;
};

std::vector<Found> differencesOf(const ReadAlignment& a) {
  std::vector<Found> out;
  for (const AlignedColumn& c : a.columns) {
    if (isDifference(c)) out.push_back({c.referenceIndex, c.readIndex, c.reference, c.read});
  }
  return out;
}

TEST(Alignment, PlantedDifferencesComeBackExactlyOnBothStrands) {
  std::mt19937 random(7);
  std::string read = randomBases(random, 400);
  read.replace(299, 3, "ACG");  // base 300 differs from both neighbours: its loss is no repeat
  // The reference: the read with a substitution at 100, a base inserted before 201 (unlike its
  // neighbours) and base 300 missing, between unrelated flanks of 500 bases.
  std::string middle = read;
  middle.erase(300, 1);
  char inserted = 'A';
  while (inserted == middle[200] || inserted == middle[201]) inserted = "ACGT"[random() % 4];
  middle.insert(201, 1, inserted);
  middle[100] = middle[100] == 'G' ? 'T' : 'G';
  const std::string reference = randomBases(random, 500) + middle + randomBases(random, 500);
  const auto planted = [&](bool reverse) {
    auto readIndex = [&](std::int32_t i) { return reverse ? 399 - i : i; };
    return std::vector<Found>{{600, readIndex(100), middle[100], read[100]},
                              {701, -1, inserted, '-'},
                              {-1, readIndex(300), '-', read[300]}};
  };

  const std::optional<ReadAlignment> forward = alignToReference(read, reference);
  ASSERT_TRUE(forward.has_value());
  EXPECT_FALSE(forward->reverse);
  EXPECT_EQ(forward->referenceStart, 500);
  EXPECT_EQ(forward->referenceEnd, 500 + static_cast<std::int32_t>(middle.size()));
  EXPECT_EQ(differencesOf(*forward), planted(false));

  // The reverse complement of the read finds the same differences in reference order, with read
  // numbers counted on the read as given.
  const std::optional<ReadAlignment> back = alignToReference(reverseComplementOf(read), reference);
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(back->reverse);
  EXPECT_EQ(differencesOf(*back), planted(true));
}

TEST(Alignment, GapsInRepeatsSitAtTheLeftmostPlace) {
  struct Case {
    const char* what;
    std::string read, reference;
    std::int32_t gapReferenceIndex, gapReadIndex;
  };
  const std::string left = "GATTACAGGCTTAGCCATGACGTTGCAAGG", right = "CGTAGGCTAACTGGTCCATGAGCTTGAC";
  const std::vector<Case> cases = {
      {"a base missing from a run of A", left + "AAAA" + right, left + "AAAAA" + right, 30, -1},
      {"a base added to a run of T", left + "TTTTT" + right, left + "TTTT" + right, -1, 30},
      {"a CA missing from CACACA", left + "CACA" + right, left + "CACACA" + right, 30, -1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const std::optional<ReadAlignment> a = alignToReference(k.read, k.reference);
    ASSERT_TRUE(a.has_value());
    const std::vector<Found> found = differencesOf(*a);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].referenceIndex, k.gapReferenceIndex);
    EXPECT_EQ(found[0].readIndex, k.gapReadIndex);
  }
}

TEST(Alignment, TheReferenceAfterTheReadIsNoGapToMoveOverItsLastLetter) {
  // The reference ends in the read's last letter, A, which the overhang must not take away.
  const std::string read = "ATGGCTAGCTTACGGATCCAGTCAAGCTTGCATGCCTGCA";
  const std::string reference = "GACTTGCAAGTCGGTACCAT" + read + "CGTAGGTCAACTGATCGGAA";
  for (bool reverse : {false, true}) {
    SCOPED_TRACE(reverse);
    const std::optional<ReadAlignment> a =
        alignToReference(reverse ? reverseComplementOf(read) : read, reference);
    ASSERT_TRUE(a.has_value());
    EXPECT_TRUE(differencesOf(*a).empty());
    EXPECT_EQ(a->referenceStart, 20);
    EXPECT_EQ(a->referenceEnd, 60);
  }
}

TEST(Alignment, LeftAligningMovesGapsToTheStartOfTheirRepeat) {
  struct Case {
    std::string reference, read, leftReference, leftRead;
  };
  const std::vector<Case> cases = {
      {"GAAAAC", "GAAA-C", "GAAAAC", "G-AAAC"},
      {"GCACAT", "GCA--T", "GCACAT", "G--CAT"},
      {"GTT-C", "GTTTC", "G-TTC", "GTTTC"},
      {"GATC-", "GTTCA", "GATC-", "GTTCA"},  // nothing to move past a mismatch or the end
  };
  for (const Case& k : cases) {
    std::vector<AlignedColumn> columns;
    for (std::size_t i = 0; i < k.read.size(); ++i) columns.push_back({k.reference[i], k.read[i]});
    leftAlignGaps(columns);
    std::string reference, read;
    for (const AlignedColumn& c : columns) {
      reference += c.reference;
      read += c.read;
    }
    EXPECT_EQ(reference + "/" + read, k.leftReference + "/" + k.leftRead);
  }
}

TEST(Reference, FastaGenBankAndPlainLettersAndWhatIsRefused) {
  struct Case {
    const char* what;
    std::string text, record, sequence, error;
  };
  const std::vector<Case> cases = {
      {"first FASTA record", ">one first\nACgt\nNN\n>two\nTTTT\n", "", "ACGTNN", ""},
      {"named FASTA record", ">one\nAC\n>two x\r\nTTuT\r\n", "two", "TTTT", ""},
      {"record named by its whole header line", ">clone 7\nAC\n>clone 7 insert \nGG\n",
       "clone 7 insert", "GG", ""},
      {"missing record", ">one\nAC\n", "three", "",
       "The FASTA file has no record named \"three\"."},
      {"GenBank", "LOCUS  pUC19 2686 bp\nFEATURES\nORIGIN\n        1 tcgc gcgt\n       9 tt\n//\n",
       "", "TCGCGCGTTT", ""},
      {"plain letters", "  acgt\nRYN\n", "", "ACGTRYN", ""},
      {"not a sequence", "hello world\n", "", "",
       "The file is not a FASTA, GenBank or plain sequence file."},
      {"binary", std::string("\x89PNG\r\n\x1a\n", 8), "", "",
       "The file is not a FASTA, GenBank or plain sequence file."},
      {"empty record", ">one\n\n", "", "", "The reference holds no sequence."},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    std::string error;
    const Reference r = parseReference(k.text, k.record, error);
    EXPECT_EQ(r.sequence, k.sequence);
    EXPECT_EQ(error, k.error);
  }
}

}  // namespace
}  // namespace vistrel::testing
