// Reverse complement of the base calls and the traces. Applying it twice restores everything but
// the letters whose complement's complement is another letter, which its undo record keeps.
#include "edit/reverse_complement.h"

#include <algorithm>

#include "edit/edit_model.h"

namespace vistrel {

namespace {

void reverseSamples(Chromatogram& document, int c) {
  const std::int32_t count = document.channels[c].sampleCount;
  for (std::int32_t j = 0, k = count - 1; j < k; ++j, --k) {
    const std::uint16_t a = document.sample(c, j);
    document.setSample(c, j, document.sample(c, k));
    document.setSample(c, k, a);
  }
}

/// Gives every channel `maxSampleCount` samples, the shorter ones padded with zeros as a saved
/// file pads them, so that all channels turn about the same axis as the peaks and stay under
/// their bases. False when no block for them can be had.
bool padChannels(Chromatogram& d) {
  const auto samples = static_cast<std::size_t>(d.maxSampleCount);
  if (std::all_of(d.channels.begin(), d.channels.end(),
                  [&](const TraceChannel& t) { return t.sampleCount == d.maxSampleCount; })) {
    return true;
  }
  Block padded;
  if (!padded.allocate(4 * 2 * samples)) return false;
  std::fill_n(padded.data(), padded.size(), std::uint8_t{0});
  for (int c = 0; c < 4; ++c) {
    std::copy_n(d.sampleData(c), 2 * static_cast<std::size_t>(d.channels[c].sampleCount),
                padded.data() + c * 2 * samples);
  }
  d.traceBlock = std::move(padded);
  d.headerSkip = 0;
  for (int c = 0; c < 4; ++c) {
    d.channels[c].sampleOffset = static_cast<std::int32_t>(c * 2 * samples);
    d.channels[c].sampleCount = d.maxSampleCount;
  }
  return true;
}

bool comesBackChanged(std::uint8_t letter) {
  return complementOf(complementOf(letter)) != letter;
}

/// The letters of `calls` that two complements would not give back.
void keepLetters(const BaseCalls& calls, bool original, std::vector<KeptLetter>& kept) {
  for (std::int32_t i = 0; i < calls.baseCount; ++i) {
    if (comesBackChanged(calls.base(i))) kept.push_back({original, i, calls.base(i)});
  }
}

/// The command without a record: both sets, the traces, their letters and colours.
void reverseComplementAll(EditContext& c) {
  // Both sets, each exactly once: an SCF file's second set is empty, and that of a document
  // saved as SCF can no longer be shown.
  Chromatogram& d = c.document;
  reverseComplementSet(d.edited, d.maxSampleCount);
  reverseComplementSet(d.original, d.maxSampleCount);
  for (int channel = 0; channel < 4; ++channel) {
    char& letter = d.channels[channel].letter;
    letter = static_cast<char>(complementOf(static_cast<std::uint8_t>(letter)));
    reverseSamples(d, channel);
  }
  recomputeChannelColours(d, c.settings);
  c.platform.invalidate(c.view.clientArea());
  c.view.insertCaret = 0;
  c.view.selectedBase = -1;
  c.edit.reverseComplemented = 1 - c.edit.reverseComplemented;
}

}  // namespace

void reverseComplementSet(BaseCalls& calls, std::int32_t maxSampleCount) {
  std::uint8_t* letters = calls.bases.data();
  std::reverse(letters, letters + calls.baseCount);
  std::transform(letters, letters + calls.baseCount, letters, complementOf);
  if (calls.hasQualities) {
    std::reverse(calls.qualities.data(), calls.qualities.data() + calls.baseCount);
  }
  for (std::int32_t j = 0, k = calls.peakCount - 1; j <= k; ++j, --k) {
    // In 16 bits, as peaks are stored.
    const auto mirrored = [&](std::int32_t i) {
      return static_cast<std::int16_t>(maxSampleCount - 1 - calls.peak(i));
    };
    const std::int16_t a = mirrored(j);
    calls.setPeak(j, mirrored(k));
    calls.setPeak(k, a);
  }
}

void reverseComplement(EditContext& c) {
  if (!padChannels(c.document)) {
    c.platform.showMessage(kNoMemoryForOperationMessage, MessageIcon::Stop,
                           MessageOwner::MainWindow);
    return;
  }
  UndoRecord record{.kind = kUndoReverseComplement};
  keepLetters(c.document.edited, false, record.keptLetters);
  keepLetters(c.document.original, true, record.keptLetters);
  reverseComplementAll(c);
  pushUndo(c.edit, std::move(record));
}

void redoReverseComplement(EditContext& c) {
  // The channels were padded by the command itself; the record keeps what Undo needs.
  reverseComplementAll(c);
}

void undoReverseComplement(EditContext& c, const UndoRecord& record) {
  reverseComplementAll(c);
  for (const KeptLetter& k : record.keptLetters) {
    BaseCalls& calls = k.original ? c.document.original : c.document.edited;
    calls.setBase(k.index, k.letter);
  }
}

}  // namespace vistrel
