// The contig window's commands on a real read and its reverse complement: typing over a base of
// the reversed read and Undo, walking the conflicts and differences, saving the changed reads,
// the exports, the stacked traces aligned on the column, and the command lines that open it.
#include "app/contig_window.h"

#include <gtest/gtest.h>

#include "analysis/contig_report.h"
#include "app/app_state.h"
#include "app/command_line.h"
#include "app/contig_painting.h"
#include "app/new_window.h"
#include "app/program_options.h"
#include "document/nucleotides.h"
#include "edit/reverse_complement.h"
#include "output/scf_writer.h"
#include "support/fake_platform.h"
#include "support/reading.h"
#include "support/temp_folder.h"
#include "view/trace_view.h"

namespace vistrel::testing {
namespace {

const std::string kRead = VISTREL_TEST_DATA "/abi/3730.ab1";

class ContigWindowTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    AppState app;
    std::string sample;
    if (readTraceFile(kRead, false, app.document, sample)) GTEST_SKIP() << "no test data";
    // The other strand of the same template, traces and all, as the trace window writes it.
    EditContext c = editContext(app, platform);
    reverseComplement(c);
    ASSERT_FALSE(saveScf(app.document, path("reverse.scf"), true, {2026, 12, 9}));
    const ContigInput read = contigInputOf(app.document, "");
    region = reverseComplementOf(
        read.letters.substr(static_cast<std::size_t>(read.region.start),
                            static_cast<std::size_t>(read.region.end - read.region.start)));
    // The reference: the good region between flanks, with one substitution planted.
    reference = std::string(60, 'A') + region + std::string(60, 'C');
    planted = 60 + static_cast<std::int32_t>(region.size()) / 2;
    reference[static_cast<std::size_t>(planted)] =
        reference[static_cast<std::size_t>(planted)] == 'G' ? 'T' : 'G';
    std::ofstream(path("clone.fa")) << ">clone\n" << reference << "\n";
    platform.messages.clear();
  }

  bool open() {
    state.view.width = 800;
    state.view.rowsHeight = 300;
    state.view.tracesHeight = 300;
    return openContig(state, platform, {{kRead, path("reverse.scf")}, path("clone.fa"), "", false});
  }

  /// A column both reads cover, away from the planted difference.
  std::int32_t sharedColumn() const {
    const Contig& contig = *shownContig(state);
    for (std::int32_t c = 0; c < static_cast<std::int32_t>(contig.columns.size()); ++c) {
      const ContigColumn& column = contig.columns[static_cast<std::size_t>(c)];
      if (column.coverage == 2 && !column.insertion && !column.difference &&
          column.referenceIndex > planted + 20) {
        return c;
      }
    }
    return -1;
  }

  FakePlatform platform;
  ContigWindowState state;
  std::string region, reference;
  std::int32_t planted = 0;
};

TEST_F(ContigWindowTest, TypingOverTheReversedReadChangesItsBaseAndTheConsensusUndoGivesThemBack) {
  ASSERT_TRUE(open());
  const Contig& contig = *shownContig(state);
  ASSERT_EQ(contig.reads.size(), 2u);
  const std::int32_t reversedRow = contig.reads[0].reverse ? 0 : 1;
  ASSERT_TRUE(contig.reads[static_cast<std::size_t>(reversedRow)].reverse);
  const std::int32_t column = sharedColumn();
  ASSERT_GE(column, 0);
  const char consensus = contig.columns[static_cast<std::size_t>(column)].consensus;
  const std::int32_t base = *baseAt(state, reversedRow, column);
  const std::size_t input =
      static_cast<std::size_t>(contig.reads[static_cast<std::size_t>(reversedRow)].input);
  const std::uint8_t before = state.documents[input].shown().base(base);

  selectColumn(state, platform, column, reversedRow);
  const char typed = consensus == 'A' ? 'C' : 'A';
  typeContigLetter(state, platform, static_cast<std::uint8_t>(typed));
  // The read holds the complement of what was typed over its reverse complement.
  EXPECT_EQ(state.documents[input].shown().base(base), complementOf(typed));
  EXPECT_TRUE(state.changed[input]);
  EXPECT_TRUE(shownContig(state)->columns[static_cast<std::size_t>(column)].conflict);
  EXPECT_EQ(state.column, column + 1);

  undoContigEdit(state, platform);
  EXPECT_EQ(state.documents[input].shown().base(base), before);
  EXPECT_FALSE(hasUnsavedContigChanges(state));
  EXPECT_FALSE(shownContig(state)->columns[static_cast<std::size_t>(column)].conflict);
  EXPECT_EQ(state.column, column);
  const int beeps = platform.beeps;
  undoContigEdit(state, platform);
  EXPECT_EQ(platform.beeps, beeps + 1);
}

TEST_F(ContigWindowTest, NextDifferenceFindsThePlantedOneAndTheStatusNamesItsColumn) {
  ASSERT_TRUE(open());
  nextMark(state, platform, ContigMark::Difference, true);
  ASSERT_GE(state.column, 0);
  const ContigColumn& column = shownContig(state)->columns[static_cast<std::size_t>(state.column)];
  EXPECT_EQ(column.referenceIndex, planted);
  const std::string named = "Reference position " + std::to_string(planted + 1) + " (" +
                            reference[static_cast<std::size_t>(planted)] + "): consensus " +
                            column.consensus;
  EXPECT_EQ(contigStatusText(state).rfind(named, 0), 0u) << contigStatusText(state);
  EXPECT_NE(contigStatusText(state).find("difference; 2 reads: 3730.ab1"), std::string::npos);
  // The column is in view, and there is no other difference after it.
  EXPECT_GE(state.column, state.view.firstColumn);
  EXPECT_LT(state.column, state.view.firstColumn + visibleColumns(state.view));
  const int beeps = platform.beeps;
  nextMark(state, platform, ContigMark::Difference, true);
  EXPECT_EQ(platform.beeps, beeps + 1);
  nextMark(state, platform, ContigMark::Difference, false);
  EXPECT_EQ(platform.beeps, beeps + 2);
}

TEST_F(ContigWindowTest, SaveWritesTheChangedReadsAnAbiOneOnlyWhereTheUserSaid) {
  ASSERT_TRUE(open());
  const std::int32_t column = sharedColumn();
  std::int32_t typedBase[2] = {0, 0};  // by input: the forward read, then the reverse one
  for (std::int32_t row = 0; row < 2; ++row) {
    selectColumn(state, platform, column, row);
    typedBase[shownContig(state)->reads[static_cast<std::size_t>(row)].input] =
        *baseAt(state, row, column);
    typeContigLetter(state, platform, 'n');
  }
  // Closing asks first; Cancel keeps the window and the changes.
  platform.promptAnswers = {PromptAnswer::Cancel};
  EXPECT_FALSE(settleContigChanges(state, platform));
  ASSERT_EQ(platform.prompts.size(), 1u);
  EXPECT_EQ(platform.prompts[0],
            "2 reads of this contig have been modified. Do you want to save or export? [Save]");

  platform.saveAnswers = {SaveChoice{path("forward.scf"), 0}};
  ASSERT_TRUE(saveContigReads(state, platform));
  EXPECT_FALSE(hasUnsavedContigChanges(state));
  ASSERT_EQ(platform.saveDialogs.size(), 1u);  // the SCF read is saved over itself
  const std::string saved[2] = {path("forward.scf"), path("reverse.scf")};
  for (int input = 0; input < 2; ++input) {
    Chromatogram document;
    std::string sample;
    ASSERT_FALSE(readTraceFile(saved[input], false, document, sample)) << saved[input];
    EXPECT_EQ(document.shown().base(typedBase[input]), 'n') << saved[input];
  }
  EXPECT_TRUE(settleContigChanges(state, platform));
}

TEST_F(ContigWindowTest, ExportsWriteTheChosenFormatAndEveryMarkedColumn) {
  ASSERT_TRUE(open());
  platform.saveAnswers = {SaveChoice{path("c.fastq"), 1}, SaveChoice{path("c.tsv"), 0}};
  ASSERT_TRUE(exportConsensusCommand(state, platform));
  ASSERT_TRUE(exportConflictsCommand(state, platform));
  const std::string fastq = contents(path("c.fastq"));
  EXPECT_EQ(fastq.rfind("@clone_consensus\n", 0), 0u) << fastq.substr(0, 40);
  const std::string table = contents(path("c.tsv"));
  EXPECT_EQ(table.rfind("contig\tref_pos\tkind\tconsensus\tquality\treference\treads\n", 0), 0u);
  char row[32];
  std::snprintf(row, sizeof row, "\t%d\tdifference\t", planted + 1);
  EXPECT_NE(table.find(row), std::string::npos);
  // Nothing is written when the dialog is cancelled.
  EXPECT_FALSE(exportConsensusCommand(state, platform));
}

TEST_F(ContigWindowTest, TheStackedTracesStandTheColumnsPeakAtTheMiddleOnBothStrands) {
  ASSERT_TRUE(open());
  selectColumn(state, platform, sharedColumn());
  ASSERT_EQ(stackedRows(state).size(), 2u);
  RecordingCanvas canvas;
  paintContigTraces(state, ViewSettings{}, canvas);
  // The letter of the column's base is the one drawn on the selection grey, at the middle.
  std::vector<DrawnText> marked;
  for (const DrawnText& t : canvas.texts) {
    if (t.background == kSelectionGrey) marked.push_back(t);
  }
  ASSERT_EQ(marked.size(), 2u);
  const char consensus =
      shownContig(state)->columns[static_cast<std::size_t>(state.column)].consensus;
  for (const DrawnText& t : marked) {
    EXPECT_EQ(t.at.x, stackedCentre(state.view) - state.view.charWidth / 2);
    EXPECT_EQ(t.text, std::string(1, consensus));
  }
  // Four channels a strip, each a line across the pane.
  EXPECT_EQ(canvas.lines.size(), 2u * (4 + 2));
}

TEST_F(ContigWindowTest, ADoubleClickOpensTheReadAtItsOwnBaseNumber) {
  ASSERT_TRUE(open());
  const std::int32_t column = sharedColumn();
  for (std::int32_t row = 0; row < 2; ++row) {
    ASSERT_TRUE(openReadAt(state, platform, row, column));
    const PlacedRead& read = shownContig(state)->reads[static_cast<std::size_t>(row)];
    EXPECT_EQ(
        platform.startedInstances.back(),
        (std::vector<std::string>{state.documents[static_cast<std::size_t>(read.input)].filePath,
                                  "--base", std::to_string(*baseAt(state, row, column) + 1)}));
  }
  // The trace window it starts selects that base.
  AppState app;
  app.startup.arguments = {"vistrel", kRead, "--base", "300"};
  openCommandLineFile(app, platform);
  goToCommandLineBase(app, platform);
  EXPECT_EQ(app.view.selectedBase, 299);
}

TEST_F(ContigWindowTest, ReadsThatCannotBeReadOrLaidAreToldAndTheRestShown) {
  std::ofstream(path("junk.ab1")) << "not a trace";
  state.view.width = 800;
  ASSERT_TRUE(
      openContig(state, platform, {{kRead, path("junk.ab1"), path("reverse.scf")}, "", "", false}));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].text.find("junk.ab1: Not an ABI or SCF file"), std::string::npos);
  EXPECT_EQ(state.set.contigs.size(), 1u);  // the two strands overlap whole
  EXPECT_EQ(contigTitle(state), "Vistrel Contig - 3730.ab1");
  EXPECT_FALSE(openContig(state, platform, {{path("junk.ab1")}, "", "", false}));
}

TEST_F(ContigWindowTest, LayingInTheBackgroundSaysSoUntilTheContigIsShown) {
  state.view.width = 800;
  bool shown = false;
  openContigInBackground(state, platform, {{kRead, path("reverse.scf")}, "", "", false},
                         [&](bool laid) { shown = laid; });
  EXPECT_EQ(contigStatusText(state), "Laying 2 reads...");
  ASSERT_EQ(platform.backgroundWork.size(), 1u);
  platform.backgroundWork[0]()();
  EXPECT_TRUE(shown);
  ASSERT_NE(shownContig(state), nullptr);
  EXPECT_EQ(shownContig(state)->reads.size(), 2u);
  EXPECT_EQ(contigStatusText(state).rfind("2 reads: ", 0), 0u) << contigStatusText(state);
}

TEST(ContigCommandLine, OptionsAndUsageErrors) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
    std::size_t files;
  };
  const Case cases[] = {
      {{"vistrel", "--contig", "a.ab1", "b.scf"}, "", 2},
      {{"vistrel", "--contig", "--ref", "r.fa", "--circular", "--", "--ref"}, "", 1},
      {{"vistrel", "--contig"}, "no trace file given", 0},
      {{"vistrel", "--contig", "--ref"}, "--ref needs a value", 0},
      {{"vistrel", "--contig", "--record", "x", "a.ab1"}, "--record goes with --ref", 0},
      {{"vistrel", "--contig", "--bam", "a.ab1"}, "unknown option --bam", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(programMode(c.arguments), ProgramMode::Contig);
    std::string error;
    const auto request = parseContigArguments(c.arguments, error);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(request ? request->files.size() : 0u, c.files);
  }
  EXPECT_EQ(programMode({"vistrel", "--contig", "--version"}), ProgramMode::Version);
}

TEST(NewContig, StartsAContigWindowOnTheChosenReadsWithOrWithoutAReference) {
  FakePlatform platform;
  platform.openAnswers = {{"/d/a.ab1", "/d/--b.scf"}, {"/d/a.ab1"}};
  platform.referenceAnswers = {"/d/r.fa"};
  ASSERT_TRUE(openNewContig(platform));
  ASSERT_TRUE(openNewContig(platform));  // the reference dialog cancelled: none
  EXPECT_EQ(platform.startedInstances,
            (std::vector<std::vector<std::string>>{
                {"--contig", "--ref", "/d/r.fa", "--", "/d/a.ab1", "/d/--b.scf"},
                {"--contig", "--", "/d/a.ab1"}}));
  EXPECT_EQ(platform.referenceTitles.front(), kContigReferenceTitle);
  EXPECT_FALSE(openNewContig(platform));  // no reads chosen
  EXPECT_EQ(platform.startedInstances.size(), 2u);
}

}  // namespace
}  // namespace vistrel::testing
