// Copy Sequence: the plain and FASTA texts, and what copying does to `modified`.
#include "edit/clipboard.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "reading.h"

namespace vistrel::testing {
namespace {

Chromatogram withBases(const std::string& bases, const std::string& title = "x.scf") {
  Chromatogram document = scfWithBases(bases);
  document.fileTitle = title;
  return document;
}

std::string copied(const Chromatogram& document, bool fasta,
                   const std::optional<TrimRegion>& trimmed = std::nullopt) {
  Block text;
  EXPECT_TRUE(sequenceClipboardText(document, fasta, text, trimmed));
  return {reinterpret_cast<const char*>(text.data()), text.size()};
}

TEST(Clipboard, LinesOfSixtyWithCrLfBetweenThem) {
  const std::string sixty(60, 'g');
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {sixty, sixty},
      {sixty + "A", sixty + "\r\nA"},
      {sixty + sixty, sixty + "\r\n" + sixty},
      {"acGT-n", "acGT-n"},  // as stored, case kept
  };
  for (const auto& [bases, text] : cases) EXPECT_EQ(copied(withBases(bases), false), text);
}

TEST(Clipboard, FastaHeaderNamesTheFileUpToItsLastDot) {
  const std::string header = " sequence exported from chromatogram file\r\n";
  EXPECT_EQ(copied(withBases("ACGT", "sample.1.ab1"), true), ">sample.1" + header + "ACGT");
  EXPECT_EQ(copied(withBases("", "noext"), true), ">noext" + header);
  // A trimmed copy takes only the region's letters, and its header says which they are.
  const Chromatogram read = withBases(std::string(62, 'A') + "CGT", "s.ab1");
  EXPECT_EQ(copied(read, true, TrimRegion{1, 64}),
            ">s trimmed sequence (bases 2 to 64) exported from chromatogram file\r\n" +
                std::string(60, 'A') + "\r\nACG");
  EXPECT_EQ(copied(read, false, TrimRegion{62, 65}), "CGT");
}

TEST(Clipboard, CopyingIsNoSaveAndRunningOutOfMemoryChangesNothing) {
  Chromatogram document = withBases(std::string(130, 'T'));
  FakePlatform platform;
  document.modified = true;
  {
    ScopedAllocationLimit limit(100);
    copySequence(document, platform, false);
  }
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Insufficient memory\nfor this operation");
  EXPECT_TRUE(platform.clipboard.empty());
  EXPECT_TRUE(document.modified);

  copySequence(document, platform, true);
  EXPECT_EQ(platform.clipboard, copied(document, true));
  EXPECT_TRUE(document.modified);
}

}  // namespace
}  // namespace vistrel::testing
