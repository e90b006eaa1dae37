// Quality values: read from ABI and SCF files, kept through edits, written to SCF, and the good
// region they give.
#include <gtest/gtest.h>

#include <functional>

#include "analysis/read_stats.h"
#include "analysis/trim.h"
#include "document/byte_view.h"
#include "edit/edit_model.h"
#include "edit/reverse_complement.h"
#include "output/scf_writer.h"
#include "reading.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

Bytes qualitiesOf(const BaseCalls& calls) {
  if (!calls.hasQualities) return {};
  return Bytes(calls.qualities.data(), calls.qualities.data() + calls.baseCount);
}

AbiTrace tracewithQualities() {
  AbiTrace t;
  for (auto& channel : t.channels) channel.assign(100, 7);
  t.editedBases = "ACGTN";
  t.editedPeaks = {10, 20, 30, 40, 50};
  t.editedQualities = {10, 20, 30, 40, 5};
  t.originalBases = "ACGTNA";
  t.originalPeaks = {10, 20, 30, 40, 50, 60};
  t.originalQualities = {11, 21, 31, 41, 6, 99};
  return t;
}

AbiEntry& entryNamed(AbiBuilder& b, const std::string& name, std::int32_t number) {
  for (AbiEntry& e : b.entries()) {
    if (e.name == name && e.number == number) return e;
  }
  throw std::runtime_error("no entry " + name);
}

TEST(QualityReading, AbiTakesEachSetsOwnPconEntryWhenItFits) {
  const AbiTrace t = tracewithQualities();
  struct Case {
    const char* what;
    std::function<void(AbiBuilder&)> damage;
    Bytes edited, original;
  };
  const Bytes e = t.editedQualities, o = t.originalQualities;
  const std::vector<Case> cases = {
      {"both", [](AbiBuilder&) {}, e, o},
      {"a byte above 99 is clamped", [](AbiBuilder& b) { entryNamed(b, "PCON", 2).data[5] = 250; },
       e, o},
      {"count differs from the letters",
       [](AbiBuilder& b) { entryNamed(b, "PCON", 1).data.push_back(3); },
       {},
       o},
      {"data outside the file",
       [](AbiBuilder& b) { entryNamed(b, "PCON", 2).dataOffset = 1 << 30; },
       e,
       {}},
      {"negative data offset",
       [](AbiBuilder& b) { entryNamed(b, "PCON", 1).dataOffset = -16; },
       {},
       o},
      {"directory not sorted: quality entries first",
       [](AbiBuilder& b) {
         auto& v = b.entries();
         std::stable_partition(v.begin(), v.end(),
                               [](const AbiEntry& x) { return x.name == "PCON"; });
       },
       e, o},
      {"all zero, as instruments without a quality model write them",
       [](AbiBuilder& b) { std::fill_n(entryNamed(b, "PCON", 1).data.begin(), 5, 0); },
       {},
       o},
      {"missing",
       [](AbiBuilder& b) {
         auto& v = b.entries();
         v.erase(
             std::remove_if(v.begin(), v.end(), [](const AbiEntry& x) { return x.name == "PCON"; }),
             v.end());
       },
       {},
       {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    AbiBuilder b = abiBuilderFor(t);
    k.damage(b);
    ReadOutcome r = readImage(b.build());
    ASSERT_FALSE(r.error) << r.message();
    EXPECT_EQ(qualitiesOf(r.document.edited), k.edited);
    EXPECT_EQ(qualitiesOf(r.document.original), k.original);
  }
}

TEST(QualityReading, ScfTakesTheLettersChannelOrTheLargestAndAllZeroMeansNone) {
  for (const char* version : {"2.00", "3.00"}) {
    SCOPED_TRACE(version);
    ScfSpec spec;
    for (auto& c : spec.channels) c = {1, 1600};
    spec.version = version;
    spec.bases = "AcGtNR";
    spec.peaks.assign(6, 1);
    spec.probabilities = std::array<Bytes, 4>{Bytes{40, 1, 2, 3, 4, 50}, Bytes{1, 41, 2, 3, 9, 5},
                                              Bytes{1, 2, 42, 3, 4, 5}, Bytes{1, 2, 3, 43, 4, 5}};
    EXPECT_EQ(qualitiesOf(readImage(buildScf(spec)).document.edited),
              (Bytes{40, 41, 42, 43, 9, 50}));

    spec.probabilities = std::array<Bytes, 4>{Bytes(6, 0), Bytes(6, 0), Bytes(6, 0), Bytes(6, 0)};
    EXPECT_FALSE(readImage(buildScf(spec)).document.edited.hasQualities);
  }
}

TEST(QualityWriting, ScfKeepsEachQualityUnderItsLetterAndReadsBackTheSame) {
  ScfSpec spec;
  for (auto& c : spec.channels) c = {1, 1600};
  spec.bases = "AcgTNy";
  spec.peaks.assign(6, 1);
  spec.probabilities = std::array<Bytes, 4>{Bytes{40, 0, 0, 0, 9, 30}, Bytes{0, 41, 0, 0, 9, 30},
                                            Bytes{0, 0, 42, 0, 9, 30}, Bytes{0, 0, 0, 43, 9, 30}};
  Chromatogram document = readImage(buildScf(spec)).document;
  Block image;
  ASSERT_TRUE(buildScfImage(document, CalendarDate{2026, 12, 8}, image));
  const Chromatogram back = readImage(Bytes(image.data(), image.data() + image.size())).document;
  EXPECT_EQ(qualitiesOf(back.edited), (Bytes{40, 41, 42, 43, 9, 30}));
  // The probability arrays as stored: a plain base's quality under its own channel only.
  const ByteView file(image.data(), image.size());
  const std::size_t probabilities = file.record<4>(24)->be32<0>() + 4 * 6;
  Bytes expected;
  for (const Bytes& c : *spec.probabilities) expected.insert(expected.end(), c.begin(), c.end());
  EXPECT_EQ(Bytes(image.data() + probabilities, image.data() + probabilities + 24), expected);
}

class QualityEditing : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    show(regularDocument(200));  // 20 bases "ACGT..." at quality 7
    app.view.selectedBase = -1;
  }
  BaseCalls& shown() { return app.document.shown(); }
  EditContext edit() { return editContext(app, platform); }
};

TEST_F(QualityEditing, EditsCarryQualitiesAndUndoRestoresTheExactOldValues) {
  BaseCalls& calls = shown();
  for (std::int32_t i = 0; i < calls.baseCount; ++i)
    calls.setQuality(i, static_cast<std::uint8_t>(i));
  const Bytes before = qualitiesOf(calls);

  auto run = [&](auto step) {
    EditContext c = edit();
    step(c);
  };
  app.view.selectedBase = 3;
  run([](EditContext& c) { replaceBase(c, 'g'); });
  app.view.selectedBase = 4;
  run([](EditContext& c) { replaceBase(c, 'N'); });
  app.view.selectedBase = 6;
  run([](EditContext& c) { deleteBase(c, false); });
  app.view.insertCaret = 1;
  app.edit.insertIndex = 0;
  run([](EditContext& c) { insertBase(c, 'T'); });

  Bytes expected = before;
  expected[3] = kTypedBaseQuality;
  expected[4] = 0;
  expected.erase(expected.begin() + 6);
  expected.insert(expected.begin(), kTypedBaseQuality);
  EXPECT_EQ(qualitiesOf(shown()), expected);

  run([](EditContext& c) { reverseComplement(c); });
  EXPECT_EQ(qualitiesOf(shown()), Bytes(expected.rbegin(), expected.rend()));

  for (int k = 0; k < 5; ++k) run([](EditContext& c) { undo(c); });
  EXPECT_EQ(qualitiesOf(shown()), before);
  EXPECT_EQ(lettersOf(shown()).substr(0, 8), "ACGTACGT");
}

TEST(Trim, GoodRegionIsTheFirstSegmentOfGreatestScore) {
  struct Case {
    const char* what;
    Bytes qualities;
    TrimRegion region;
  };
  const std::vector<Case> cases = {
      {"no bases", {}, {0, 0}},
      {"all zero", Bytes(30, 0), {0, 0}},
      {"quality 13 scores just below zero at 0.05", Bytes(30, 13), {0, 0}},
      {"whole read good", Bytes(10, 40), {0, 10}},
      {"low ends, a dip the region bridges", {2, 3, 30, 30, 30, 10, 30, 30, 2}, {2, 8}},
      // A base of quality 0 empties the sum: the longer run after it wins.
      {"two segments", {40, 40, 40, 0, 40, 40, 40, 40, 40}, {4, 9}},
      {"ties keep the first", {40, 40, 0, 0, 40, 40}, {0, 2}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(goodRegion(k.qualities.data(), static_cast<std::int32_t>(k.qualities.size()), 0.05),
              k.region);
  }
  BaseCalls none;
  EXPECT_FALSE(trimRegion(none, 0.05).has_value());
}

TEST(ReadStats, ContiguousReadLengthIsTheLongestRunOfGoodWindows) {
  struct Case {
    const char* what;
    Bytes qualities;
    std::int32_t crl;
  };
  auto joined = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const std::vector<Case> cases = {
      {"fewer than 20 bases", Bytes(19, 60), 0},
      {"exactly one good window", Bytes(20, 20), 20},
      {"one window just short", joined({Bytes(19, 20), Bytes(1, 19)}), 0},
      // A single low base is carried by good neighbours: every window still averages 20.
      {"a dip the windows carry", joined({Bytes(30, 40), Bytes(1, 0), Bytes(30, 40)}), 61},
      // A window of 30s may hold six zeros and still average 20; those holding seven or more
      // split the read at ten zeros into bases 0-30 and 29-74, and the longer wins.
      {"two stretches", joined({Bytes(25, 30), Bytes(10, 0), Bytes(40, 30)}), 46},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(
        contiguousReadLength(k.qualities.data(), static_cast<std::int32_t>(k.qualities.size())),
        k.crl);
  }
}

}  // namespace
}  // namespace vistrel::testing
