// The letters of a base-call set as nucleotides: the four bases, the IUPAC codes that stand for
// several of them, and complements.
#pragma once

#include <cstdint>

namespace vistrel {

/// 0 to 3 for A, C, G and T in either case, -1 for any other letter. SCF files keep their
/// channels in this order.
constexpr int acgtIndex(std::uint8_t letter) {
  switch (letter | 0x20) {
    case 'a':
      return 0;
    case 'c':
      return 1;
    case 'g':
      return 2;
    case 't':
      return 3;
    default:
      return -1;
  }
}

inline constexpr unsigned kBaseA = 1;
inline constexpr unsigned kBaseC = 2;
inline constexpr unsigned kBaseG = 4;
inline constexpr unsigned kBaseT = 8;

struct IupacCode {
  char letter;
  unsigned bases;  ///< kBaseA to kBaseT, combined
};

/// The IUPAC codes and the bases each stands for, U read as T. Other letters are no code.
inline constexpr IupacCode kIupacCodes[] = {{'A', kBaseA},
                                            {'C', kBaseC},
                                            {'G', kBaseG},
                                            {'T', kBaseT},
                                            {'U', kBaseT},
                                            {'R', kBaseA | kBaseG},
                                            {'Y', kBaseC | kBaseT},
                                            {'S', kBaseC | kBaseG},
                                            {'W', kBaseA | kBaseT},
                                            {'K', kBaseG | kBaseT},
                                            {'M', kBaseA | kBaseC},
                                            {'B', kBaseC | kBaseG | kBaseT},
                                            {'D', kBaseA | kBaseG | kBaseT},
                                            {'H', kBaseA | kBaseC | kBaseT},
                                            {'V', kBaseA | kBaseC | kBaseG},
                                            {'N', kBaseA | kBaseC | kBaseG | kBaseT}};

/// The bases an upper-case IUPAC letter stands for; 0 for any other byte.
constexpr unsigned iupacBases(char letter) {
  for (const IupacCode& code : kIupacCodes) {
    if (code.letter == letter) return code.bases;
  }
  return 0;
}

/// The upper-case letter that stands for exactly `bases` (U never: T stands for it); 0 for none.
constexpr char iupacLetter(unsigned bases) {
  for (const IupacCode& code : kIupacCodes) {
    if (code.bases == bases && code.letter != 'U') return code.letter;
  }
  return 0;
}

/// The complement of a letter in either case: A and T, C and G, the IUPAC codes to the code of
/// the complementary bases (U to A); other letters and bytes stay as they are.
constexpr std::uint8_t complementOf(std::uint8_t letter) {
  constexpr char kComplements[] = "TVGHEFCDIJMLKNOPQYSAABWXRZ";
  if (letter >= 'A' && letter <= 'Z') return static_cast<std::uint8_t>(kComplements[letter - 'A']);
  if (letter >= 'a' && letter <= 'z') {
    return static_cast<std::uint8_t>(kComplements[letter - 'a'] - 'A' + 'a');
  }
  return letter;
}

}  // namespace vistrel
