// The clipboard text is built in one block of a size fixed in advance, so that running out of
// memory is a message and not a failure half-way.
#include "edit/clipboard.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "output/sequence_export.h"

namespace vistrel {

namespace {

constexpr std::size_t kLineLength = 60;

}  // namespace

bool sequenceClipboardText(const Chromatogram& document, bool fasta, Block& text,
                           const std::optional<TrimRegion>& trimmed) {
  const BaseCalls& calls = document.shown();
  const TrimRegion bases = trimmed.value_or(TrimRegion{0, calls.baseCount});
  const auto count = static_cast<std::size_t>(bases.end - bases.start);
  const std::uint8_t* letters = calls.bases.data() + bases.start;
  std::string header;
  if (fasta) {
    const std::string& title = document.fileTitle;
    // The whole title when it has no '.'.
    header = fastaHeader(title.substr(0, title.find_last_of('.')), trimmed);
  }
  const std::size_t lineEnds = count == 0 ? 0 : 2 * ((count - 1) / kLineLength);
  if (!text.allocate(header.size() + count + lineEnds)) return false;
  std::uint8_t* out = text.data();
  if (!header.empty()) out = std::copy(header.begin(), header.end(), out);
  for (std::size_t start = 0; start < count; start += kLineLength) {
    if (start > 0) out = std::copy_n("\r\n", 2, out);
    out = std::transform(letters + start, letters + start + std::min(kLineLength, count - start),
                         out, exportedLetter);
  }
  return true;
}

void copySequence(const Chromatogram& document, Platform& platform, bool fasta,
                  const std::optional<TrimRegion>& trimmed) {
  Block text;
  if (!sequenceClipboardText(document, fasta, text, trimmed)) {
    platform.showMessage(kNoMemoryForOperationMessage, MessageIcon::Stop, MessageOwner::MainWindow);
    return;
  }
  platform.setClipboardText({reinterpret_cast<const char*>(text.data()), text.size()});
}

}  // namespace vistrel
