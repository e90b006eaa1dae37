// BAM writing: every field read back through htslib and samtools, the index, and the reads or
// places that are refused without touching what was there.
#include "output/bam_writer.h"

#include <gtest/gtest.h>
#include <htslib/sam.h>

#include <cstdio>
#include <filesystem>

#include "temp_folder.h"

namespace vistrel::testing {
namespace {

using Cigar = std::vector<std::pair<char, std::uint32_t>>;

/// A record as htslib reads it back, every field in text.
struct ReadBack {
  std::string name;
  int flag = 0;
  int tid = 0;
  std::int64_t position = 0;
  int mapq = 0;
  std::string cigar;
  std::string letters;
  std::vector<std::uint8_t> qualities;
  int mateTid = 0;
  std::int64_t matePosition = 0;
  std::int64_t templateLength = 0;

  bool operator==(const ReadBack&) const = default;
};

ReadBack readBackOf(const bam1_t* b) {
  ReadBack r{bam_get_qname(b), b->core.flag, b->core.tid,  b->core.pos, b->core.qual, {}, {}, {},
             b->core.mtid,     b->core.mpos, b->core.isize};
  const std::uint32_t* cigar = bam_get_cigar(b);
  for (std::uint32_t i = 0; i < b->core.n_cigar; ++i) {
    r.cigar += std::to_string(bam_cigar_oplen(cigar[i])) + bam_cigar_opchr(cigar[i]);
  }
  for (int i = 0; i < b->core.l_qseq; ++i) {
    r.letters += seq_nt16_str[bam_seqi(bam_get_seq(b), i)];
    r.qualities.push_back(bam_get_qual(b)[i]);
  }
  return r;
}

/// The header's text and the records of the BAM file at `path`.
std::pair<std::string, std::vector<ReadBack>> readBam(const std::string& path) {
  std::pair<std::string, std::vector<ReadBack>> result;
  samFile* file = sam_open(path.c_str(), "r");
  if (file == nullptr) return result;
  sam_hdr_t* header = sam_hdr_read(file);
  bam1_t* b = bam_init1();
  if (header != nullptr) result.first = sam_hdr_str(header);
  while (header != nullptr && sam_read1(file, header, b) >= 0)
    result.second.push_back(readBackOf(b));
  bam_destroy1(b);
  sam_hdr_destroy(header);
  sam_close(file);
  return result;
}

BamRead read(std::string name, std::int64_t position, Cigar cigar, std::string letters,
             std::vector<std::uint8_t> qualities = {}, bool reverse = false,
             bool supplementary = false) {
  return {.name = std::move(name),
          .reverse = reverse,
          .supplementary = supplementary,
          .position = position,
          .cigar = std::move(cigar),
          .letters = std::move(letters),
          .qualities = std::move(qualities)};
}

std::vector<std::uint8_t> repeated(std::uint8_t q, std::size_t n) {
  return std::vector<std::uint8_t>(n, q);
}

class BamWriterTest : public TempFolderTest {};

TEST_F(BamWriterTest, RecordsComeBackSortedWithEveryField) {
  std::vector<std::uint8_t> clipped = repeated(30, 28);
  clipped[0] = 99;  // more than SAM can print
  const std::vector<BamRead> reads = {
      read("fwd", 40, {{'S', 3}, {'M', 10}, {'I', 2}, {'M', 5}, {'D', 3}, {'M', 8}},
           "ttgACGTACGTACGTACGTACGTACGTN", clipped),
      read("r\xc3\xa9v\tone", 5, {{'M', 20}}, "ACGTACGTACGTACGTACGT", {}, true),
      read("alt", 40, {{'H', 7}, {'M', 4}, {'S', 2}}, "RYACGT", repeated(12, 6), false, true),
      read("end", 78, {{'S', 2}, {'M', 22}}, "AAAAAAAAAAAAAAAAAAAAAAAA", repeated(40, 24), true),
  };
  ASSERT_FALSE(writeBam(path("c.bam"), "clone 7 (v2)", 100, reads));
  EXPECT_EQ(entries(), 2u);  // the file and its index, nothing of the making

  const auto [header, records] = readBam(path("c.bam"));
  EXPECT_TRUE(header.starts_with(
      "@HD\tVN:1.6\tSO:coordinate\n@SQ\tSN:clone_7__v2_\tLN:100\n@PG\tID:vistrel\t"))
      << header;
  clipped[0] = 93;
  const std::vector<std::uint8_t> none(20, 0xFF);
  const std::vector<ReadBack> expected = {
      {"r_v_one", 16, 0, 5, 60, "20M", "ACGTACGTACGTACGTACGT", none, -1, -1, 0},
      {"alt", 2048, 0, 40, 60, "7H4M2S", "RYACGT", repeated(12, 6), -1, -1, 0},
      {"fwd", 0, 0, 40, 60, "3S10M2I5M3D8M", "TTGACGTACGTACGTACGTACGTACGTN", clipped, -1, -1, 0},
      {"end", 16, 0, 78, 60, "2S22M", std::string(24, 'A'), repeated(40, 24), -1, -1, 0},
  };
  EXPECT_EQ(records, expected);
}

TEST_F(BamWriterTest, ReadsThatCannotBeWrittenAsGivenLeaveTheOldFilesAlone) {
  const struct {
    const char* why;
    std::int64_t referenceLength;
    BamRead read;
  } cases[] = {
      {"CIGAR longer than the letters", 100, read("a", 0, {{'M', 5}, {'I', 1}}, "ACGTA")},
      {"CIGAR shorter than the letters", 100, read("a", 0, {{'S', 1}, {'M', 3}}, "ACGTA")},
      {"span past the reference's end", 100, read("a", 96, {{'M', 3}, {'D', 2}}, "ACG")},
      {"position before the reference", 100, read("a", -1, {{'M', 3}}, "ACG")},
      {"no reference", 0, read("a", 0, {{'M', 3}}, "ACG")},
      {"a soft clip inside", 100, read("a", 0, {{'M', 2}, {'S', 1}, {'M', 2}}, "ACGTA")},
      {"a hard clip inside a soft one", 100, read("a", 0, {{'S', 1}, {'H', 1}, {'M', 2}}, "ACG")},
      {"only clips", 100, read("a", 0, {{'S', 3}}, "ACG")},
      {"an unknown operation", 100, read("a", 0, {{'Q', 3}}, "ACG")},
      {"an operation of no length", 100, read("a", 0, {{'M', 3}, {'I', 0}}, "ACG")},
      {"a gap among the letters", 100, read("a", 0, {{'M', 3}}, "A-G")},
      {"too few qualities", 100, read("a", 0, {{'M', 3}}, "ACG", {20, 20})},
  };
  const std::string bam = put(path("old.bam"), "old data");
  const std::string index = put(path("old.bam.bai"), "old index");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::vector<BamRead> reads = {read("good", 0, {{'M', 3}}, "ACG"), c.read};
    EXPECT_EQ(writeBam(bam, "ref", c.referenceLength, reads).kind, OutputError::WriteFailed);
    EXPECT_EQ(contents(bam), "old data");
    EXPECT_EQ(contents(index), "old index");
    EXPECT_EQ(entries(), 2u);
  }
}

TEST_F(BamWriterTest, APlaceThatCannotBeWrittenIntoLeavesNothing) {
  const std::string missingFolder = path("missing/c.bam");
  const std::string fileAsFolder = put(path("file"), "x") + "/c.bam";
  std::filesystem::create_directory(path("taken.bam.bai"));
  const std::vector<BamRead> reads = {read("a", 0, {{'M', 3}}, "ACG")};
  for (const std::string& target : {missingFolder, fileAsFolder}) {
    const OutputError e = writeBam(target, "ref", 10, reads);
    EXPECT_EQ(e.kind, OutputError::CreateFailed) << target;
    EXPECT_EQ(e.openErrorCode, 3) << target;
  }
  // The index's place is checked before the data is written.
  const OutputError e = writeBam(path("taken.bam"), "ref", 10, reads);
  EXPECT_EQ(e.kind, OutputError::CreateFailed);
  EXPECT_EQ(e.openErrorCode, 5);
  EXPECT_FALSE(std::filesystem::exists(path("taken.bam")));
  EXPECT_EQ(entries(), 2u);
}

/// What `command` prints, or "failed" when it does not exit with 0.
std::string output(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "failed";
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  return ::pclose(pipe) == 0 ? text : "failed";
}

TEST_F(BamWriterTest, SamtoolsReadsTheRecordsTheirDepthAndARegionThroughTheIndex) {
  const std::vector<BamRead> reads = {
      read("rev", 10, {{'M', 6}}, "GATTAC", {}, true, true),
      read("fwd", 2, {{'S', 2}, {'M', 4}, {'I', 1}, {'M', 3}, {'D', 2}, {'M', 3}}, "ggACGTTACGACG",
           repeated(30, 13)),
  };
  const std::string bam = path("s.bam");
  ASSERT_FALSE(writeBam(bam, "ref", 30, reads));
  EXPECT_EQ(output("samtools view --no-PG '" + bam + "'"),
            "fwd\t0\tref\t3\t60\t2S4M1I3M2D3M\t*\t0\t0\tGGACGTTACGACG\t?????????????\n"
            "rev\t2064\tref\t11\t60\t6M\t*\t0\t0\tGATTAC\t*\n");
  // A deletion adds no depth: none at 10, only the reverse read at 11.
  EXPECT_EQ(output("samtools depth '" + bam + "'"),
            "ref\t3\t1\nref\t4\t1\nref\t5\t1\nref\t6\t1\nref\t7\t1\nref\t8\t1\nref\t9\t1\n"
            "ref\t10\t0\nref\t11\t1\nref\t12\t2\nref\t13\t2\nref\t14\t2\nref\t15\t1\nref\t16\t1\n");
  EXPECT_EQ(output("samtools view --no-PG '" + bam + "' ref:15-20 | cut -f1"), "rev\n");
}

}  // namespace
}  // namespace vistrel::testing
