// Reverse complement of the base calls and the traces. Applying it twice restores everything,
// which is how Undo takes it back.
#include "edit/reverse_complement.h"

#include <algorithm>

#include "edit/edit_model.h"

namespace vistrel {

namespace {

constexpr char kComplements[] = "TVGHEFCDIJMLKNOPQYSAABWXRZ";

void reverseSamples(Chromatogram& document, int c) {
  const std::int32_t count = document.channels[c].sampleCount;
  for (std::int32_t j = 0, k = count - 1; j < k; ++j, --k) {
    const std::uint16_t a = document.sample(c, j);
    document.setSample(c, j, document.sample(c, k));
    document.setSample(c, k, a);
  }
}

}  // namespace

std::uint8_t complementOf(std::uint8_t letter) {
  if (letter >= 'A' && letter <= 'Z') return static_cast<std::uint8_t>(kComplements[letter - 'A']);
  if (letter >= 'a' && letter <= 'z') {
    return static_cast<std::uint8_t>(kComplements[letter - 'a'] - 'A' + 'a');
  }
  return letter;
}

void reverseComplementSet(BaseCalls& calls, std::int32_t maxSampleCount) {
  std::uint8_t* letters = calls.bases.data();
  std::reverse(letters, letters + calls.baseCount);
  std::transform(letters, letters + calls.baseCount, letters, complementOf);
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

void reverseComplementAll(EditContext& c) {
  Chromatogram& d = c.document;
  if (d.isScf) {
    reverseComplementSet(d.shown(), d.maxSampleCount);
  } else {
    reverseComplementSet(d.edited, d.maxSampleCount);
    reverseComplementSet(d.original, d.maxSampleCount);
  }
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

void reverseComplement(EditContext& c) {
  reverseComplementAll(c);
  pushUndo(c.edit, {kUndoReverseComplement, 0, 0, 0, true});
}

}  // namespace vistrel
