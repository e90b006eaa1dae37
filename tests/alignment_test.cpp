// Alignment to a reference: planted differences found exactly on both strands, gaps in repeats
// at their leftmost place, the same alignment whether the read is searched for, seeded on a large
// reference or traced over the whole reference, what cannot align, and the reference layouts.
#include "analysis/alignment.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <random>

#include "analysis/exact_alignment.h"
#include "analysis/seed_index.h"
#include "analysis/trim.h"
#include "document/reference.h"
#include "document/trace_file.h"

namespace vistrel::testing {
namespace {

std::optional<ReadAlignment> aligned(std::string_view read, std::string_view reference) {
  return alignToReference(read, PreparedReference(reference)).alignment;
}

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

  const std::optional<ReadAlignment> forward = aligned(read, reference);
  ASSERT_TRUE(forward.has_value());
  EXPECT_FALSE(forward->reverse);
  EXPECT_EQ(forward->referenceStart, 500);
  EXPECT_EQ(forward->referenceEnd, 500 + static_cast<std::int32_t>(middle.size()));
  EXPECT_EQ(differencesOf(*forward), planted(false));

  // The reverse complement of the read finds the same differences in reference order, with read
  // numbers counted on the read as given.
  const std::optional<ReadAlignment> back = aligned(reverseComplementOf(read), reference);
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
    const std::optional<ReadAlignment> a = aligned(k.read, k.reference);
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
        aligned(reverse ? reverseComplementOf(read) : read, reference);
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

/// `read` with substitutions, deletions and insertions at random places away from its ends.
std::string withDifferences(std::string read, std::mt19937& random, int each) {
  for (int i = 0; i < 3 * each && read.size() > 40; ++i) {
    const std::size_t at = 20 + random() % (read.size() - 40);
    if (i % 3 == 0) read[at] = read[at] == 'A' ? 'C' : 'A';
    if (i % 3 == 1) read.erase(at, 1);
    if (i % 3 == 2) read.insert(at, 1, "ACGT"[random() % 4]);
  }
  return read;
}

/// The reads to try: the good regions of the real reads when they were fetched, and made-up ones.
std::vector<std::string> testReads(std::mt19937& random) {
  std::vector<std::string> reads = {randomBases(random, 350), randomBases(random, 900)};
  for (const char* name :
       {"abi/3100.ab1", "abi/3730.ab1", "abi/A6_1-DB3.ab1", "abi/nonascii_encoding.ab1",
        "abi/no_smpl1.ab1", "more/abiview.abi", "more/volvox_trace.scf"}) {
    Chromatogram d;
    std::string sample;
    if (readTraceFile(std::string(VISTREL_TEST_DATA "/") + name, false, d, sample)) continue;
    const TrimRegion region = regionToCheck(d.shown(), kDefaultTrimCutoff);
    reads.emplace_back(reinterpret_cast<const char*>(d.shown().bases.data()) + region.start,
                       static_cast<std::size_t>(region.end - region.start));
  }
  return reads;
}

/// An alignment as text: score, strand, first reference index and the columns' letters.
std::string described(int score, bool reverse, std::int64_t start,
                      const std::vector<AlignedColumn>& columns) {
  std::string text = std::to_string(score) + (reverse ? " - " : " + ") + std::to_string(start);
  for (const AlignedColumn& c : columns) text += std::string{' ', c.reference, c.read};
  return text;
}

/// The alignment as a traceback over the whole reference on both strands gives it, the better
/// strand kept (the forward one on a tie).
std::string wholeReferenceTrace(const std::string& read, const std::string& reference) {
  GappedAlignment best;
  bool reverse = false;
  for (bool back : {false, true}) {
    GappedAlignment g;
    EXPECT_TRUE(traceAlignment(back ? reverseComplementOf(read) : read, reference, g));
    if (!back || g.score > best.score) best = g, reverse = back;
  }
  std::vector<AlignedColumn> columns;
  for (std::size_t i = 0; i < best.read.size(); ++i) {
    columns.push_back({best.reference[i], best.read[i]});
  }
  leftAlignGaps(columns);
  return described(best.score, reverse, best.referenceStart, columns);
}

TEST(Alignment, SearchingFirstGivesTheAlignmentOfATracebackOverTheWholeReference) {
  std::mt19937 random(5);
  for (const std::string& read : testReads(random)) {
    const std::string flank = randomBases(random, 700), other = randomBases(random, 700);
    std::string noisyEnds = read;
    noisyEnds.replace(0, 40, randomBases(random, 40));
    noisyEnds.replace(noisyEnds.size() - 40, 40, randomBases(random, 40));
    const std::string copy = withDifferences(read, random, 2);
    const std::vector<std::pair<const char*, std::string>> middles = {
        {"a few differences", withDifferences(read, random, 3)},
        {"many differences", withDifferences(read, random, static_cast<int>(read.size() / 40))},
        {"ends that match nothing", noisyEnds},
        {"two copies", copy + randomBases(random, 60) + copy},
    };
    for (const auto& [what, middle] : middles) {
      for (bool reverse : {false, true}) {
        SCOPED_TRACE(::testing::Message() << what << ", read of " << read.size()
                                          << (reverse ? ", reverse" : ", forward"));
        const std::string reference =
            flank + (reverse ? reverseComplementOf(middle) : middle) + other;
        const std::optional<ReadAlignment> a = aligned(read, reference);
        ASSERT_TRUE(a.has_value());
        EXPECT_EQ(described(a->score, a->reverse, a->referenceStart, a->columns),
                  wholeReferenceTrace(read, reference));
      }
    }
  }
}

TEST(Alignment, AReadInAFiveMegabaseReferenceAlignsAsInTheSmallReferenceItWasPlantedFrom) {
  std::mt19937 random(11);
  const std::string read = randomBases(random, 900), shortRead = randomBases(random, 30);
  const std::string small =
      randomBases(random, 1500) + withDifferences(read, random, 3) + randomBases(random, 1500);
  const std::string smallForShort =
      randomBases(random, 1500) + shortRead + randomBases(random, 1500);
  // The long read in the second piece of the index of five megabases; the short one, whose
  // seeds are too few to chain, where only a search of the whole reference finds it: in one of
  // a megabase, and in the five megabases too long to search whole.
  std::string large = randomBases(random, 5000000), medium = randomBases(random, 1000000);
  const std::int64_t at = kSeedPieceLetters + 50000, atShort = 123456;
  large.replace(static_cast<std::size_t>(at), small.size(), small);
  large.replace(static_cast<std::size_t>(atShort), smallForShort.size(), smallForShort);
  medium.replace(static_cast<std::size_t>(atShort), smallForShort.size(), smallForShort);
  const PreparedReference prepared(large, 2), preparedMedium(medium);
  ASSERT_TRUE(prepared.seeded() && preparedMedium.seeded());

  struct Case {
    std::string read, smallReference;
    const PreparedReference& reference;
    std::int64_t offset;
  };
  for (const Case& k :
       {Case{read, small, prepared, at}, Case{reverseComplementOf(read), small, prepared, at},
        Case{shortRead, smallForShort, preparedMedium, atShort}}) {
    SCOPED_TRACE(k.read.substr(0, 20));
    const std::optional<ReadAlignment> alone = aligned(k.read, k.smallReference);
    const std::optional<ReadAlignment> planted = alignToReference(k.read, k.reference).alignment;
    ASSERT_TRUE(alone && planted);
    EXPECT_EQ(
        described(planted->score, planted->reverse, planted->referenceStart, planted->columns),
        described(alone->score, alone->reverse, alone->referenceStart + k.offset, alone->columns));
  }
  // Without seeds, five megabases are not searched whole, for a long read or a short one.
  for (const std::string& unseeded : {std::string(1000, 'N'), shortRead}) {
    EXPECT_EQ(alignToReference(unseeded, prepared).failure, AlignmentFailure::DoesNotAlign);
  }
}

TEST(Alignment, WhatCannotAlignIsToldAndNoTracebackOfItIsRead) {
  std::mt19937 random(3);
  const std::string read = randomBases(random, 300), reference = randomBases(random, 2000);
  struct Case {
    const char* what;
    std::string read, reference;
  };
  const std::vector<Case> cases = {
      {"a read of N only", std::string(300, 'N'), reference},
      {"letters that are no bases", std::string(300, '\x07'), reference},
      {"a one-letter reference", read, "A"},
      {"a reference of N only", read, std::string(2000, 'N')},
      {"an empty read", "", reference},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const AlignmentResult r = alignToReference(k.read, PreparedReference(k.reference));
    EXPECT_FALSE(r.alignment.has_value());
    EXPECT_EQ(r.failure, AlignmentFailure::DoesNotAlign);
  }
  // Longer than 32-bit positions reach: refused before a letter is read, so untouched pages of
  // zeros stand in for it.
  const std::size_t length = std::size_t{1} << 31;
  void* letters =
      mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(letters, MAP_FAILED);
  const PreparedReference huge(std::string_view(static_cast<const char*>(letters), length));
  EXPECT_EQ(alignToReference(read, huge).failure, AlignmentFailure::ReferenceTooLong);
  munmap(letters, length);
}

TEST(Reference, FastaGenBankAndPlainLettersAndWhatIsRefused) {
  struct Case {
    const char* what;
    std::string text, record, sequence, error;
    bool circular = false;
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
      {"circular GenBank", "LOCUS       pUC19  4 bp    DNA     CIRCULAR SYN\nORIGIN\n 1 acgt\n//\n",
       "", "ACGT", "", true},
      {"linear GenBank named circularised", "LOCUS  circularised 4 bp linear\nORIGIN\n 1 acgt\n",
       "", "ACGT", ""},
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
    EXPECT_EQ(r.circular, k.circular);
  }
}

}  // namespace
}  // namespace vistrel::testing
