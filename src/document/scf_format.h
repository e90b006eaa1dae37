// Layout of SCF trace files: the 128-byte header and the sizes of the sections after it.
#pragma once

#include <cstdint>

namespace vistrel::scf {

inline constexpr char kMagic[4] = {'.', 's', 'c', 'f'};
inline constexpr std::int64_t kHeaderSize = 128;

// Header field offsets; every field is a big-endian 32-bit value.
inline constexpr std::int64_t kSamplesField = 4;
inline constexpr std::int64_t kSamplesOffsetField = 8;
inline constexpr std::int64_t kBasesField = 12;
inline constexpr std::int64_t kBasesLeftClipField = 16;
inline constexpr std::int64_t kBasesRightClipField = 20;
inline constexpr std::int64_t kBasesOffsetField = 24;
inline constexpr std::int64_t kCommentsSizeField = 28;
inline constexpr std::int64_t kCommentsOffsetField = 32;
inline constexpr std::int64_t kVersionField = 36;
inline constexpr std::int64_t kSampleSizeField = 40;
inline constexpr std::int64_t kCodeSetField = 44;
inline constexpr std::int64_t kPrivateSizeField = 48;
inline constexpr std::int64_t kPrivateOffsetField = 52;

/// Each base takes 12 bytes: a 4-byte peak index, four probabilities, the letter, 3 spare.
inline constexpr std::int64_t kBytesPerBase = 12;

/// The slot order of the channels in every SCF file.
inline constexpr char kChannelLetters[4] = {'A', 'C', 'G', 'T'};

}  // namespace vistrel::scf
