// Reference sequences: the expected sequence a read is checked against, from a FASTA file (its
// first record or a named one), a GenBank file (the sequence after ORIGIN) or a file of bare
// letters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

struct Reference {
  std::string name;  ///< the record's name (a FASTA header's first word), or empty for bare letters
  std::string sequence;   ///< upper-case IUPAC letters, U read as T
  bool circular = false;  ///< a GenBank LOCUS line says the molecule is circular
};

/// Reads `text` as a reference. On failure `error` says why, in words for the user, and the
/// result is empty. `recordName`, when not empty, picks the first FASTA record whose name (the
/// header's first word) or whole header line (after '>', without outer blanks) it is.
Reference parseReference(std::string_view text, std::string_view recordName, std::string& error);

/// The header lines (after '>', without outer blanks) of the records of a FASTA text, in their
/// order; each picks its record as `recordName`. Empty when `text` is no FASTA text.
std::vector<std::string> fastaRecordHeaders(std::string_view text);

/// The FASTA record headers of the file at `path`; empty when it cannot be read or is no FASTA
/// file (reading it as a reference then says why).
std::vector<std::string> referenceRecordsInFile(const std::string& path);

/// Reads the reference in the file at `path`; one without a name of its own is named after the
/// file. On failure `error` says why: the file-open texts, a folder, or the parser's reasons
/// (an empty file holds no sequence).
Reference readReferenceFile(const std::string& path, std::string_view recordName,
                            std::string& error);

/// `name` as the sequence name of a SAM header or a VCF contig, so that both files name the
/// reference alike: each character outside the set both formats take (letters, digits and
/// `!#$%&*+./:;=?@^_|~-`, with no `#`, `*` or `=` first) becomes '_', one for each UTF-8
/// character or stray byte. An empty name becomes "reference".
std::string referenceId(std::string_view name);

}  // namespace vistrel
