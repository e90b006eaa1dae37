// Reference sequences: the expected sequence a read is checked against, from a FASTA file (its
// first record or a named one), a GenBank file (the sequence after ORIGIN) or a file of bare
// letters.
#pragma once

#include <string>
#include <string_view>

namespace vistrel {

struct Reference {
  std::string name;  ///< the record's name (a FASTA header's first word), or empty for bare letters
  std::string sequence;  ///< upper-case IUPAC letters, U read as T
};

/// Reads `text` as a reference. On failure `error` says why, in words for the user, and the
/// result is empty. `recordName`, when not empty, picks the first FASTA record whose name (the
/// header's first word) or whole header line (after '>', without outer blanks) it is.
Reference parseReference(std::string_view text, std::string_view recordName, std::string& error);

/// Reads the reference in the file at `path`; one without a name of its own is named after the
/// file. On failure `error` says why: the file-open texts, a folder, or the parser's reasons
/// (an empty file holds no sequence).
Reference readReferenceFile(const std::string& path, std::string_view recordName,
                            std::string& error);

}  // namespace vistrel
