// Any bytes through the read entry point: a document or an error, never a crash or a read
// outside the image.
#include <cstddef>
#include <cstdint>

#include "document/trace_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (bool original : {false, true}) {
    vistrel::Block image;
    if (!image.assign(data, size)) return 0;
    vistrel::Chromatogram document;
    std::string sampleName;
    if (vistrel::readTraceImage(std::move(image), original, document, sampleName)) continue;
    // Touch every sample, letter and peak the document claims to hold.
    unsigned sum = 0;
    for (int c = 0; c < 4; ++c) {
      for (std::int32_t i = 0; i < document.channels[c].sampleCount; ++i)
        sum += document.sample(c, i);
    }
    const vistrel::BaseCalls& calls = document.shown();
    for (std::int32_t i = 0; i < calls.baseCount; ++i) sum += calls.base(i);
    for (std::int32_t i = 0; i < calls.peakCount; ++i) sum += static_cast<unsigned>(calls.peak(i));
    if (document.commentsSize > 0) sum += document.comments.data()[document.commentsSize - 1];
    volatile unsigned sink = sum;
    (void)sink;
  }
  return 0;
}
