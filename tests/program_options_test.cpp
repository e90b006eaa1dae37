// The export options: what a command line asks for, and why one that cannot be run is refused.
#include "app/program_options.h"

#include <gtest/gtest.h>

namespace vistrel::testing {
namespace {

std::vector<std::string> line(std::initializer_list<const char*> arguments) {
  std::vector<std::string> all{"vistrel"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return all;
}

TEST(ProgramOptions, HelpComesFirstThenTheVersionThenAnExport) {
  EXPECT_EQ(programMode(line({"/s", "t.ab1"})), ProgramMode::Window);
  EXPECT_EQ(programMode(line({"t.ab1", "--export-png", "o.png"})), ProgramMode::Export);
  EXPECT_EQ(programMode(line({"--", "--export-png", "o.png"})), ProgramMode::Window);
  EXPECT_EQ(programMode(line({"--export-png", "o.png", "--version"})), ProgramMode::Version);
  EXPECT_EQ(programMode(line({"--version", "--help"})), ProgramMode::Help);
}

TEST(ProgramOptions, ReadsTheOutputThePaperTheBasesAndTheTrace) {
  std::string error;
  std::optional<ExportRequest> pdf =
      parseExportArguments(line({"--page-size", "letter", "--export-pdf", "o.pdf", "/s"}), error);
  ASSERT_TRUE(pdf) << error;
  EXPECT_EQ(pdf->format, ExportRequest::Pdf);
  EXPECT_EQ(pdf->output, "o.pdf");
  EXPECT_EQ(pdf->pageSize, PageSize::Letter);
  EXPECT_EQ(pdf->trace, "/s");  // a path, never a switch of the window
  EXPECT_FALSE(pdf->bases);

  std::optional<ExportRequest> png =
      parseExportArguments(line({"--export-png", "o.png", "--bases", "3-9", "--", "--x"}), error);
  ASSERT_TRUE(png) << error;
  EXPECT_EQ(png->format, ExportRequest::Png);
  ASSERT_TRUE(png->bases);
  EXPECT_EQ(png->bases->first, 3);
  EXPECT_EQ(png->bases->last, 9);
  EXPECT_EQ(png->trace, "--x");
}

// More refusals are checked on the real program, in tests/export/.
TEST(ProgramOptions, ACommandLineThatCannotBeRunIsRefusedWithItsReason) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {line({"--export-pdf"}), "--export-pdf needs a value"},
      {line({"--export-pdf", "", "t"}), "--export-pdf needs a file name"},
      {line({"--export-pdf", "a", "--export-png", "b", "t"}), "only one of"},
      {line({"--export-png", "a", "--bases", "5", "t"}), "--bases takes FIRST-LAST"},
      {line({"--export-png", "a", "--bases", "+1-5", "t"}), "--bases takes FIRST-LAST"},
      {line({"--export-png", "a", "--colour", "t"}), "unknown option --colour"},
      {line({"--export-png", "a", "t", "u"}), "more than one trace file given"},
      {line({"t"}), "--export-pdf or --export-png is needed"},
      {line({"--export-pdf", "a", "--bases", "1-2", "t"}), "--bases goes with --export-png"},
  };
  for (const auto& [arguments, reason] : cases) {
    std::string error;
    EXPECT_FALSE(parseExportArguments(arguments, error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace vistrel::testing
