// ABI and SCF image builders, written independently of the program's readers and writer so
// that each checks the other.
#include "trace_builder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

namespace vistrel::testing {

namespace {

void putBe16(Bytes& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<std::uint8_t>(v >> 8);
  out[at + 1] = static_cast<std::uint8_t>(v);
}

void putBe32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

void appendBe16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void appendBe32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (24 - 8 * i)));
}

constexpr std::size_t kAbiHeaderSize = 128;
constexpr std::size_t kEntrySize = 28;

/// A small deterministic generator, so the sample is the same on every platform.
class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  double uniform() { return next() / 4294967296.0; }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint32_t state_;
};

AbiEntry makeEntry(const char* name, std::int32_t number, std::int16_t type, std::int16_t size,
                   std::int32_t count, Bytes data = {}) {
  AbiEntry e;
  e.name = name;
  e.number = number;
  e.elementType = type;
  e.elementSize = size;
  e.elementCount = count;
  e.data = std::move(data);
  return e;
}

}  // namespace

AbiBuilder& AbiBuilder::add(AbiEntry entry) {
  entries_.push_back(std::move(entry));
  return *this;
}

AbiBuilder& AbiBuilder::addTrace(std::int32_t number, const std::vector<std::uint16_t>& samples) {
  AbiEntry e = makeEntry("DATA", number, 4, 2, static_cast<std::int32_t>(samples.size()));
  for (std::uint16_t s : samples) appendBe16(e.data, s);
  return add(std::move(e));
}

AbiBuilder& AbiBuilder::addBaseOrder(const std::string& letters) {
  return add(
      makeEntry("FWO_", 1, 2, 1, static_cast<std::int32_t>(letters.size()), toBytes(letters)));
}

AbiBuilder& AbiBuilder::addBases(std::int32_t number, const std::string& letters) {
  return add(
      makeEntry("PBAS", number, 2, 1, static_cast<std::int32_t>(letters.size()), toBytes(letters)));
}

AbiBuilder& AbiBuilder::addPeaks(std::int32_t number, const std::vector<std::int16_t>& peaks) {
  AbiEntry e = makeEntry("PLOC", number, 4, 2, static_cast<std::int32_t>(peaks.size()));
  for (std::int16_t p : peaks) appendBe16(e.data, static_cast<std::uint16_t>(p));
  return add(std::move(e));
}

AbiBuilder& AbiBuilder::addDate(std::int32_t number, int year, int month, int day) {
  AbiEntry e = makeEntry("RUND", number, 10, 4, 1);
  appendBe16(e.data, static_cast<std::uint16_t>(year));
  e.data.push_back(static_cast<std::uint8_t>(month));
  e.data.push_back(static_cast<std::uint8_t>(day));
  return add(std::move(e));
}

AbiBuilder& AbiBuilder::addTime(std::int32_t number, int hour, int minute, int second) {
  Bytes time{static_cast<std::uint8_t>(hour), static_cast<std::uint8_t>(minute),
             static_cast<std::uint8_t>(second), 0};
  return add(makeEntry("RUNT", number, 11, 4, 1, time));
}

AbiBuilder& AbiBuilder::addQualities(std::int32_t number, const Bytes& qualities) {
  return add(
      makeEntry("PCON", number, 2, 1, static_cast<std::int32_t>(qualities.size()), qualities));
}

AbiBuilder& AbiBuilder::addSampleName(const std::string& name, std::optional<int> lengthByte) {
  AbiEntry e = makeEntry("SMPL", 1, 18, 1, 0);
  e.data.push_back(static_cast<std::uint8_t>(lengthByte.value_or(static_cast<int>(name.size()))));
  e.data.insert(e.data.end(), name.begin(), name.end());
  e.elementCount = static_cast<std::int32_t>(e.data.size());
  return add(std::move(e));
}

AbiBuilder& AbiBuilder::sortByName() {
  std::stable_sort(entries_.begin(), entries_.end(), [](const AbiEntry& a, const AbiEntry& b) {
    return a.name != b.name ? a.name < b.name : a.number < b.number;
  });
  return *this;
}

Bytes AbiBuilder::build(std::size_t prefix) const {
  Bytes abi(kAbiHeaderSize, 0);
  std::vector<std::uint32_t> offsets;
  for (const AbiEntry& e : entries_) {
    if (e.data.size() > 4) {
      offsets.push_back(static_cast<std::uint32_t>(abi.size()));
      abi.insert(abi.end(), e.data.begin(), e.data.end());
    } else {
      std::uint32_t inlined = 0;
      for (std::size_t i = 0; i < e.data.size(); ++i)
        inlined |= std::uint32_t{e.data[i]} << (24 - 8 * i);
      offsets.push_back(inlined);
    }
  }
  const std::size_t directory = abi.size();
  abi.resize(directory + kEntrySize * entries_.size(), 0);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const AbiEntry& e = entries_[i];
    std::size_t at = directory + kEntrySize * i;
    for (std::size_t k = 0; k < 4; ++k) abi[at + k] = k < e.name.size() ? e.name[k] : ' ';
    putBe32(abi, at + 4, static_cast<std::uint32_t>(e.number));
    putBe16(abi, at + 8, static_cast<std::uint16_t>(e.elementType));
    putBe16(abi, at + 10, static_cast<std::uint16_t>(e.elementSize));
    putBe32(abi, at + 12, static_cast<std::uint32_t>(e.elementCount));
    putBe32(
        abi, at + 16,
        static_cast<std::uint32_t>(e.dataSize.value_or(static_cast<std::int32_t>(e.data.size()))));
    putBe32(
        abi, at + 20,
        static_cast<std::uint32_t>(e.dataOffset.value_or(static_cast<std::int32_t>(offsets[i]))));
  }
  const char magic[] = "ABIF";
  std::copy(magic, magic + 4, abi.begin());
  putBe16(abi, 4, 101);
  const char tdir[] = "tdir";
  std::copy(tdir, tdir + 4, abi.begin() + 6);
  putBe32(abi, 10, 1);
  putBe16(abi, 14, 1023);
  putBe16(abi, 16, static_cast<std::uint16_t>(kEntrySize));
  putBe32(abi, 18, static_cast<std::uint32_t>(entries_.size()));
  putBe32(abi, 22, static_cast<std::uint32_t>(kEntrySize * entries_.size()));
  putBe32(abi, 26, static_cast<std::uint32_t>(directory));

  Bytes file(prefix, 'x');
  file.insert(file.end(), abi.begin(), abi.end());
  return file;
}

AbiBuilder abiBuilderFor(const AbiTrace& trace) {
  AbiBuilder b;
  for (int c = 0; c < 4; ++c) {
    std::vector<std::uint16_t> raw(trace.channels[c].size());
    for (std::size_t i = 0; i < raw.size(); ++i)
      raw[i] = static_cast<std::uint16_t>(trace.channels[c][i] / 2 + 100);
    b.addTrace(1 + c, raw);
  }
  for (int c = 0; c < 4; ++c)
    b.addTrace(5 + c, std::vector<std::uint16_t>(16, static_cast<std::uint16_t>(c)));
  for (int c = 0; c < 4; ++c) b.addTrace(9 + c, trace.channels[c]);
  b.addBaseOrder(trace.baseOrder);
  b.addBases(1, trace.editedBases).addBases(2, trace.originalBases);
  b.addPeaks(1, trace.editedPeaks).addPeaks(2, trace.originalPeaks);
  if (!trace.editedQualities.empty() || !trace.originalQualities.empty()) {
    b.addQualities(1, trace.editedQualities).addQualities(2, trace.originalQualities);
  }
  b.addDate(1, trace.year, trace.month, trace.day).addDate(2, trace.year, trace.month, trace.day);
  b.addTime(1, 9, 30, 0).addTime(2, 11, 45, 0);
  b.addSampleName(trace.sampleName);
  return std::move(b.sortByName());
}

std::vector<std::uint16_t> secondDifferences(const std::vector<std::uint16_t>& samples, int bits) {
  const std::uint32_t mask = bits == 8 ? 0xFF : 0xFFFF;
  std::vector<std::uint16_t> out(samples.size());
  std::uint32_t p1 = 0, p2 = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    // s - 2 p1 + p2 as the first difference of the first differences
    std::uint32_t s = samples[i];
    out[i] = static_cast<std::uint16_t>((s - p1 - (p1 - p2)) & mask);
    p2 = p1;
    p1 = s;
  }
  return out;
}

Bytes buildScf(const ScfSpec& spec) {
  const std::size_t samples = spec.channels[0].size();
  const std::size_t bases = spec.bases.size();
  const bool v3 = !spec.version.empty() && spec.version[0] >= '3';
  const bool wide = !spec.version.empty() && spec.version[0] > '1' && spec.sampleSize == 2;
  Bytes out(128, 0);

  const std::size_t samplesOffset = out.size();
  if (v3) {
    for (int c = 0; c < 4; ++c) {
      for (std::uint16_t d : secondDifferences(spec.channels[c], wide ? 16 : 8)) {
        if (wide)
          appendBe16(out, d);
        else
          out.push_back(static_cast<std::uint8_t>(d));
      }
    }
  } else {
    for (std::size_t i = 0; i < samples; ++i) {
      for (int c = 0; c < 4; ++c) {
        if (wide)
          appendBe16(out, spec.channels[c][i]);
        else
          out.push_back(static_cast<std::uint8_t>(spec.channels[c][i]));
      }
    }
  }

  const std::size_t basesOffset = out.size();
  auto peakAt = [&](std::size_t i) { return i < spec.peaks.size() ? spec.peaks[i] : 0u; };
  auto probability = [&](std::size_t c, std::size_t i) -> std::uint8_t {
    return spec.probabilities ? (*spec.probabilities)[c].at(i) : 7;
  };
  if (v3) {
    for (std::size_t i = 0; i < bases; ++i) appendBe32(out, peakAt(i));
    for (std::size_t c = 0; c < 4; ++c) {
      for (std::size_t i = 0; i < bases; ++i) out.push_back(probability(c, i));
    }
    out.insert(out.end(), spec.bases.begin(), spec.bases.end());
    out.insert(out.end(), 3 * bases, 0);
  } else {
    for (std::size_t i = 0; i < bases; ++i) {
      appendBe32(out, peakAt(i));
      for (std::size_t c = 0; c < 4; ++c) out.push_back(probability(c, i));
      out.push_back(static_cast<std::uint8_t>(spec.bases[i]));
      out.insert(out.end(), {0, 0, 0});
    }
  }

  const std::size_t commentsOffset = out.size();
  out.insert(out.end(), spec.comments.begin(), spec.comments.end());

  std::copy_n(".scf", 4, out.begin());
  putBe32(out, 4, spec.samples.value_or(static_cast<std::uint32_t>(samples)));
  putBe32(out, 8, spec.samplesOffset.value_or(static_cast<std::uint32_t>(samplesOffset)));
  putBe32(out, 12, spec.basesCount.value_or(static_cast<std::uint32_t>(bases)));
  putBe32(out, 20, static_cast<std::uint32_t>(bases));
  putBe32(out, 24, spec.basesOffset.value_or(static_cast<std::uint32_t>(basesOffset)));
  putBe32(out, 28, spec.commentsSize.value_or(static_cast<std::uint32_t>(spec.comments.size())));
  putBe32(out, 32, spec.commentsOffset.value_or(static_cast<std::uint32_t>(commentsOffset)));
  for (std::size_t i = 0; i < 4; ++i) out[36 + i] = i < spec.version.size() ? spec.version[i] : ' ';
  putBe32(out, 40, spec.sampleSize);
  putBe32(out, 44, static_cast<std::uint32_t>(spec.codeSet));
  return out;
}

Block toBlock(const Bytes& bytes) {
  Block block;
  if (!block.assign(bytes.data(), bytes.size())) throw std::bad_alloc();
  return block;
}

Bytes toBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

AbiTrace syntheticTrace(std::uint32_t seed, int baseCount, int samplesPerBase) {
  Random random(seed);
  AbiTrace trace;
  const std::string order = trace.baseOrder;
  const char ambiguous[] = "RYKMSW";
  const int sampleCount = 40 + baseCount * samplesPerBase + 40;
  std::array<std::vector<double>, 4> signal;
  for (auto& s : signal) s.assign(static_cast<std::size_t>(sampleCount), 0.0);

  auto addPeak = [&](int channel, double centre, double height, double width) {
    int from = std::max(0, static_cast<int>(centre - 4 * width));
    int to = std::min(sampleCount - 1, static_cast<int>(centre + 4 * width));
    for (int i = from; i <= to; ++i) {
      double x = (i - centre) / width;
      signal[channel][i] += height * std::exp(-0.5 * x * x);
    }
  };

  double position = 40;
  for (int b = 0; b < baseCount; ++b) {
    position += samplesPerBase + (random.uniform() - 0.5) * samplesPerBase * 0.3;
    // Signal fades slowly along the read, with strong variation from peak to peak.
    double height = (1500.0 - 900.0 * b / baseCount) * (0.45 + 0.55 * random.uniform());
    double width = 1.8 + 1.6 * random.uniform() + 1.5 * b / baseCount;
    int roll = random.below(100);
    char letter;
    if (roll < 2) {
      letter = 'N';
      for (int c = 0; c < 4; ++c) addPeak(c, position, height * 0.3, width);
    } else if (roll < 4) {
      letter = ambiguous[random.below(6)];
      int c1 = random.below(4), c2 = (c1 + 1 + random.below(3)) % 4;
      addPeak(c1, position, height * 0.6, width);
      addPeak(c2, position, height * 0.5, width);
    } else {
      int c = random.below(4);
      letter = order[c];
      addPeak(c, position, height, width);
    }
    trace.originalBases += letter;
    // Qualities climb over the first bases and fall off over the last ten.
    const int rise = 8 + 2 * b, fall = 10 + 5 * (baseCount - 1 - b);
    const int quality = roll < 4 ? 6 : std::min({60, rise, fall});
    trace.originalQualities.push_back(static_cast<std::uint8_t>(quality));
    trace.originalPeaks.push_back(static_cast<std::int16_t>(std::lround(position)));
  }
  for (int c = 0; c < 4; ++c) {
    trace.channels[c].resize(static_cast<std::size_t>(sampleCount));
    for (int i = 0; i < sampleCount; ++i) {
      double drift = 30 + 20 * std::sin(i / 1300.0 + c);
      double noise = (random.uniform() - 0.5) * 16;
      double v = std::clamp(signal[c][i] + drift + noise, 0.0, 65535.0);
      trace.channels[c][i] = static_cast<std::uint16_t>(v);
    }
  }
  // The user's edits: a few calls replaced, one in lower case.
  trace.editedBases = trace.originalBases;
  trace.editedPeaks = trace.originalPeaks;
  trace.editedQualities = trace.originalQualities;
  for (int k = 0; k < 5 && baseCount > 0; ++k) {
    int at = random.below(baseCount);
    trace.editedBases[at] = "ACGTa"[k];
  }
  return trace;
}

ScfSpec scfSpecFor(const AbiTrace& trace) {
  ScfSpec spec;
  const std::string slots = "ACGT";
  for (int s = 0; s < 4; ++s) {
    spec.channels[s] = trace.channels[trace.baseOrder.find(slots[s])];
  }
  spec.bases = trace.editedBases;
  for (std::int16_t p : trace.editedPeaks) spec.peaks.push_back(static_cast<std::uint16_t>(p));
  if (!trace.editedQualities.empty()) {
    // The quality under the called letter's channel, or under all four for any other letter.
    std::array<Bytes, 4> probabilities;
    for (std::size_t i = 0; i < spec.bases.size(); ++i) {
      const std::size_t slot = slots.find(static_cast<char>(std::toupper(spec.bases[i])));
      for (std::size_t c = 0; c < 4; ++c) {
        const bool under = slot == std::string::npos || slot == c;
        probabilities[c].push_back(under ? trace.editedQualities.at(i) : 0);
      }
    }
    spec.probabilities = probabilities;
  }
  spec.comments = toBytes("NAME=" + trace.sampleName + "\nSTOP=Jul 9 2026 11:45\n");
  return spec;
}

}  // namespace vistrel::testing
