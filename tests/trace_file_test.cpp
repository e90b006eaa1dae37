// The read entry point: format recognition with the foreign prefix, file errors, and the
// names a document takes from its path.
#include "document/trace_file.h"

#include <gtest/gtest.h>

#include "reading.h"
#include "temp_folder.h"

namespace vistrel::testing {
namespace {

namespace fs = std::filesystem;

AbiTrace tinyTrace() {
  AbiTrace t;
  for (int c = 0; c < 4; ++c) t.channels[c] = {static_cast<std::uint16_t>(c), 7, 9};
  t.editedBases = t.originalBases = "ACG";
  t.editedPeaks = t.originalPeaks = {0, 1, 2};
  return t;
}

ScfSpec tinyScf() {
  ScfSpec spec;
  for (auto& c : spec.channels) c = {1, 2, 3};
  spec.bases = "TTA";
  spec.peaks = {0, 1, 2};
  return spec;
}

class TraceFileOnDisk : public TempFolderTest {
 protected:
  std::string write(const std::string& name, const Bytes& bytes) {
    return put(path(name), std::string(bytes.begin(), bytes.end()));
  }
};

TEST(TraceFile, RecognisesAbiAndScfAtTheStart) {
  ReadOutcome abi = readImage(abiBuilderFor(tinyTrace()).build());
  ASSERT_FALSE(abi.error);
  EXPECT_FALSE(abi.document.isScf);
  EXPECT_EQ(abi.document.headerSkip, 0);
  ReadOutcome scf = readImage(buildScf(tinyScf()));
  ASSERT_FALSE(scf.error);
  EXPECT_TRUE(scf.document.isScf);
}

TEST(TraceFile, SkipsAForeignPrefixOf128Bytes) {
  AbiTrace t = tinyTrace();
  ReadOutcome abi = readImage(abiBuilderFor(t).build(128));
  ASSERT_FALSE(abi.error) << abi.message();
  EXPECT_EQ(abi.document.headerSkip, 128);
  EXPECT_EQ(samplesOf(abi.document, 2), t.channels[2]);

  Bytes scf(128, 'M');
  Bytes body = buildScf(tinyScf());
  scf.insert(scf.end(), body.begin(), body.end());
  ReadOutcome r = readImage(scf);
  ASSERT_FALSE(r.error) << r.message();
  EXPECT_TRUE(r.document.isScf);
  EXPECT_EQ(r.document.headerSkip, 0);
  EXPECT_EQ(lettersOf(r.document.shown()), "TTA");
}

TEST(TraceFile, OtherDataIsNotATrace) {
  for (const std::string& text :
       {std::string("This is a fake trace file\n"), std::string(128, 'x'), std::string(129, 'x'),
        std::string(4000, 'x'), std::string("AB")}) {
    ReadOutcome r = readImage(toBytes(text));
    EXPECT_EQ(r.error.kind, LoadError::Corrupt) << text.size();
    EXPECT_EQ(r.message(), "Not an ABI or SCF file,\nor data is corrupt");
  }
  // A prefix followed by nothing that is a trace, and an SCF header cut short.
  EXPECT_EQ(readImage(toBytes(".scf" + std::string(60, '\0'))).error.kind, LoadError::Corrupt);
}

TEST(TraceFile, AFailedReadLeavesTheDocumentAlone) {
  Chromatogram document;
  std::string name = "kept";
  ASSERT_FALSE(readTraceImage(toBlock(buildScf(tinyScf())), false, document, name));
  document.filePath = "/data/old.scf";
  EXPECT_TRUE(readTraceImage(toBlock(toBytes("nonsense")), false, document, name));
  EXPECT_TRUE(document.loaded);
  EXPECT_EQ(document.filePath, "/data/old.scf");
  EXPECT_EQ(lettersOf(document.shown()), "TTA");
}

TEST_F(TraceFileOnDisk, ReadsAFileAndNamesTheDocument) {
  std::string path = write("trace.ab1", abiBuilderFor(tinyTrace()).build());
  Chromatogram document;
  std::string name;
  ASSERT_FALSE(readTraceFile(path, false, document, name));
  EXPECT_TRUE(document.loaded);
  EXPECT_EQ(document.filePath, path);
  EXPECT_EQ(document.fileTitle, "trace.ab1");
  EXPECT_EQ(document.fileInfoText, "File: trace.ab1");
  EXPECT_EQ(name, "sample");
}

TEST_F(TraceFileOnDisk, FileProblemsHaveTheirMessages) {
  Chromatogram document;
  std::string name;
  LoadError missing = readTraceFile((folder_ / "absent.ab1").string(), false, document, name);
  EXPECT_EQ(loadErrorMessage(missing), "File not found");
  LoadError noFolder = readTraceFile((folder_ / "gone" / "x.ab1").string(), false, document, name);
  EXPECT_EQ(loadErrorMessage(noFolder), "Path not found");

  LoadError empty = readTraceFile(write("empty.ab1", {}), false, document, name);
  EXPECT_EQ(loadErrorMessage(empty), "The file could not be read");
  EXPECT_TRUE(isOwnerlessMessage(empty));
  EXPECT_FALSE(isOwnerlessMessage(missing));

  LoadError folder = readTraceFile(folder_.string(), false, document, name);
  EXPECT_EQ(loadErrorMessage(folder), "Access denied");
  EXPECT_FALSE(document.loaded);
}

TEST(TraceFile, FileTitleIsTheLastPathComponentCutTo28) {
  EXPECT_EQ(fileTitleOf("/home/ana/runs/clone7.ab1"), "clone7.ab1");
  EXPECT_EQ(fileTitleOf("C:\\runs\\clone7.ab1"), "clone7.ab1");
  EXPECT_EQ(fileTitleOf("A:clone7.ab1"), "clone7.ab1");
  EXPECT_EQ(fileTitleOf("runs/x:y.ab1"), "x:y.ab1");
  EXPECT_EQ(fileTitleOf("clone7.ab1"), "clone7.ab1");
  EXPECT_EQ(fileTitleOf("/runs/" + std::string(40, 'q') + ".ab1"), std::string(28, 'q'));
  // Characters, not bytes: a name is never cut inside a character.
  std::string accented;
  for (int i = 0; i < 30; ++i) accented += "\xC3\xA9";
  EXPECT_EQ(fileTitleOf("/runs/" + accented), accented.substr(0, 56));
}

TEST(TraceFile, BytesOutsideWellFormedUtf8CountOneCharacterEach) {
  std::string latin1;
  for (int i = 0; i < 7; ++i) latin1 += "run \xE9";  // 35 characters in Latin-1
  const std::string a26(26, 'a'), a27(27, 'a');
  struct Case {
    std::string name, title;
  };
  for (const Case& test : {
           Case{std::string(40, '\x80'), std::string(28, '\x80')},  // lone continuation bytes
           Case{a27 + "\xE2\x82\xAC" + "b", a27 + "\xE2\x82\xAC"},  // a euro sign is one
           Case{a27 + "\xE2\x82", a27 + "\xE2"},                    // cut short at the end
           Case{a27 + "\xC3", a27 + "\xC3"},
           Case{a27 + "\xC3x", a27 + "\xC3"},                 // lead byte, no follower
           Case{a27 + "\xC0\xAF", a27 + "\xC0"},              // overlong '/'
           Case{a26 + "\xED\xA0\x80", a26 + "\xED\xA0"},      // surrogate D800
           Case{a26 + "\xF4\x90\x80\x80", a26 + "\xF4\x90"},  // past U+10FFFF
           Case{a26 + "\xF0\x9F\x98\x80" + "\xE9z", a26 + "\xF0\x9F\x98\x80" + "\xE9"},
       }) {
    EXPECT_EQ(firstCharacters(test.name, 28), test.title) << test.name;
  }
  EXPECT_EQ(fileTitleOf("/runs/" + latin1), latin1.substr(0, 28));
}

}  // namespace
}  // namespace vistrel::testing
