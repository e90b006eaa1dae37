// Sequence export (text, FASTA, FASTQ, whole or trimmed) and the raw trace table.
#include <gtest/gtest.h>

#include "output/raw_export.h"
#include "output/sequence_export.h"
#include "reading.h"
#include "temp_folder.h"

namespace vistrel::testing {
namespace {

Chromatogram namedDocument(const std::string& bases, const std::string& infoText = "File: x.scf") {
  Chromatogram document = scfWithBases(bases);
  document.fileInfoText = infoText;
  return document;
}

TEST(SequenceExport, LinesOfSixtyWithoutAFinalLineEnd) {
  const std::string sixty(60, 'A');
  EXPECT_EQ(sequenceExportText(namedDocument(sixty), kExportText), sixty);
  EXPECT_EQ(sequenceExportText(namedDocument(sixty + "C"), kExportText), sixty + "\r\nC");
  EXPECT_EQ(sequenceExportText(namedDocument(sixty + sixty), kExportText), sixty + "\r\n" + sixty);
  EXPECT_EQ(sequenceExportText(namedDocument("acgRY-*N"), kExportText), "acgRY-*N");
}

TEST(SequenceExport, EmptySequence) {
  EXPECT_EQ(sequenceExportText(namedDocument(""), kExportText), "");
  EXPECT_EQ(sequenceExportText(namedDocument("", "File: sample.ab1"), kExportFasta),
            ">sample sequence exported from chromatogram file\r\n");
}

TEST(SequenceExport, FastaHeaderNamesTheFileWithoutItsExtension) {
  EXPECT_EQ(sequenceExportText(namedDocument("ACGT", "File: sample.ab1"), kExportFasta),
            ">sample sequence exported from chromatogram file\r\nACGT");
  EXPECT_EQ(fastaName("File: a.b.seq"), "a.b");
  EXPECT_EQ(fastaName("File: noext"), "noext");
  std::string longName(200, 'n');
  EXPECT_EQ(fastaName("File: " + longName + ".scf"), longName);
}

Chromatogram withQualities(const std::string& bases, const Bytes& qualities) {
  Chromatogram document = namedDocument(bases, "File: run.7.ab1");
  EXPECT_TRUE(document.edited.qualities.assign(qualities.data(), qualities.size()));
  document.edited.hasQualities = true;
  return document;
}

TEST(SequenceExport, FastqAndTrimmedExports) {
  const Chromatogram read = withQualities("acGTN", {0, 9, 40, 93, 99});
  const std::string sixtyOne(61, 'C');
  const Chromatogram longRead = withQualities(sixtyOne + "A", Bytes(62, 30));
  struct Case {
    const char* what;
    const Chromatogram& document;
    int format;
    std::optional<TrimRegion> trimmed;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"Phred+33, above 93 written as 93", read, kExportFastq, {}, "@run.7\nacGTN\n+\n!*I~~\n"},
      {"trimmed FASTQ", read, kExportFastq, TrimRegion{1, 3},
       "@run.7 trimmed sequence (bases 2 to 3)\ncG\n+\n*I\n"},
      {"FASTQ keeps one line however long",
       longRead,
       kExportFastq,
       {},
       "@run.7\n" + sixtyOne + "A\n+\n" + std::string(62, '?') + "\n"},
      {"trimmed FASTA", read, kExportFasta, TrimRegion{2, 5},
       ">run.7 trimmed sequence (bases 3 to 5) exported from chromatogram file\r\nGTN"},
      {"trimmed text in lines of 60", longRead, kExportText, TrimRegion{1, 62},
       std::string(60, 'C') + "\r\nA"},
      {"an empty region writes no letters", read, kExportFastq, TrimRegion{4, 4},
       "@run.7 trimmed sequence (no bases)\n\n+\n\n"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(sequenceExportText(k.document, k.format, k.trimmed), k.text);
  }
  EXPECT_EQ(exportRefusal(read, kExportFastq), nullptr);
  Chromatogram without = namedDocument("ACGT");
  without.edited.hasQualities = false;
  EXPECT_STREQ(exportRefusal(without, kExportFastq), kNoQualitiesForFastqMessage);
  EXPECT_EQ(exportRefusal(without, kExportFasta), nullptr);
  // A file without base calls has nothing to export until bases are typed.
  Chromatogram traces = namedDocument("");
  traces.hasBaseCalls = false;
  EXPECT_STREQ(exportRefusal(traces, kExportText), kNoBaseCallsToExportMessage);
  traces = namedDocument("A");
  traces.hasBaseCalls = false;
  EXPECT_EQ(exportRefusal(traces, kExportText), nullptr);
}

TEST(SequenceExport, BytesThatAreNoLettersAreWrittenAsN) {
  const std::string damaged("A\0C\nG \xE9T", 8);
  EXPECT_EQ(sequenceExportText(namedDocument(damaged), kExportText), "ANCNGNNT");
  EXPECT_EQ(sequenceExportText(withQualities(damaged, Bytes(8, 30)), kExportFastq),
            "@run.7\nANCNGNNT\n+\n????????\n");
}

TEST(SequenceExport, WritesTheShownSet) {
  AbiTrace t;
  for (auto& c : t.channels) c = {1, 2, 3};
  t.editedBases = "EDITED";
  t.editedPeaks = {1, 1, 1, 1, 1, 1};
  t.originalBases = "ORIGINAL";
  t.originalPeaks = {1, 1, 1, 1, 1, 1, 1, 1};
  ReadOutcome r = readImage(abiBuilderFor(t).build(), true);
  ASSERT_FALSE(r.error);
  EXPECT_EQ(sequenceExportText(r.document, kExportText), "ORIGINAL");
}

TEST(RawExport, HeadingAndRowsOf29Bytes) {
  ScfSpec spec;
  spec.channels = {std::vector<std::uint16_t>{0, 1600}, {800, 1}, {2, 3}, {4, 5}};
  ReadOutcome r = readImage(buildScf(spec));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(rawDataText(r.document),
            "     A      C      G      T\r\n"
            "     0    800      2      4\r\n"
            "  1600      1      3      5\r\n");
}

TEST(RawExport, AbiChannelsInFileOrderWithFullRangeAndShortChannels) {
  AbiTrace t;
  t.channels = {std::vector<std::uint16_t>{65535, 0, 7}, {1}, {}, {12345, 2}};
  t.baseOrder = "GATC";
  t.editedBases = t.originalBases = "";
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  ASSERT_FALSE(r.error) << r.message();
  std::string table = rawDataText(r.document);
  EXPECT_EQ(table,
            "     G      A      T      C\r\n"
            " 65535      1      -  12345\r\n"
            "     0      -      -      2\r\n"
            "     7      -      -      -\r\n");
}

TEST(RawExport, NoSamplesGiveOnlyTheHeading) {
  ScfSpec spec;
  ReadOutcome r = readImage(buildScf(spec));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(rawDataText(r.document), "     A      C      G      T\r\n");
}

using Exports = TempFolderTest;

TEST_F(Exports, WriteTheirFiles) {
  Chromatogram d = namedDocument("ACGT", "File: run.scf");
  ASSERT_FALSE(exportSequence(d, path("a.seq"), kExportFasta));
  EXPECT_EQ(contents(path("a.seq")), ">run sequence exported from chromatogram file\r\nACGT");
  ASSERT_FALSE(exportRawData(d, path("a.txt")));
  EXPECT_EQ(contents(path("a.txt")).size(), 29u * 3);
  OutputError error = exportSequence(d, path("none/a.seq"), kExportText);
  EXPECT_EQ(outputErrorMessage(error), "Path not found");
}

}  // namespace
}  // namespace vistrel::testing
