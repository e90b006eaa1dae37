// The contig's texts.
#include "analysis/contig_report.h"

#include "document/text_fields.h"

namespace vistrel {

namespace {

constexpr const char kConflictsHeader[] =
    "contig\tref_pos\tkind\tconsensus\tquality\treference\treads\n";
constexpr std::size_t kFastaLineLength = 60;

std::string letterText(char letter) {
  return letter == '\0' ? std::string() : std::string(1, letter);
}

}  // namespace

std::string consensusRecordName(const Contig& contig) {
  return cleanField(contig.hasReference ? contig.name + "_consensus" : contig.name);
}

std::string contigPositionText(const ContigColumn& column) {
  return std::to_string(column.referenceIndex + 1);
}

std::string consensusText(const std::vector<Contig>& contigs, bool fastq) {
  std::string text;
  for (const Contig& contig : contigs) {
    const std::string letters = contig.consensusLetters();
    if (letters.empty()) continue;
    const std::string name = consensusRecordName(contig);
    if (fastq) {
      std::string qualities;
      for (const std::uint8_t q : contig.consensusQualities())
        qualities += static_cast<char>(33 + q);
      text += "@" + name + "\n" + letters + "\n+\n" + qualities + "\n";
      continue;
    }
    text += ">" + name + "\n";
    for (std::size_t at = 0; at < letters.size(); at += kFastaLineLength) {
      text += letters.substr(at, kFastaLineLength) + "\n";
    }
  }
  return text;
}

std::string conflictsText(const std::vector<Contig>& contigs,
                          const std::vector<ContigInput>& reads) {
  std::string text = kConflictsHeader;
  for (const Contig& contig : contigs) {
    std::vector<std::int32_t> differenceColumns;
    const ReadCheck check = consensusCheck(contig, &differenceColumns);
    std::vector<const ReadDifference*> differenceAt(contig.columns.size(), nullptr);
    for (std::size_t d = 0; d < differenceColumns.size(); ++d) {
      differenceAt[static_cast<std::size_t>(differenceColumns[d])] = &check.differences[d];
    }
    const std::string name = consensusRecordName(contig);
    for (const std::int32_t c : contig.consensusColumns()) {
      const ContigColumn& column = contig.columns[static_cast<std::size_t>(c)];
      if (!column.conflict && !column.difference) continue;
      std::string position = contigPositionText(column);
      std::string consensus(1, column.consensus), reference = letterText(column.reference);
      // A difference is told as the check placed it, its indel leftmost.
      if (const ReadDifference* found = differenceAt[static_cast<std::size_t>(c)]) {
        position = std::to_string(found->referencePosition);
        consensus = std::string(1, found->read);
        reference = std::string(1, found->reference);
      }
      const char* kind = column.conflict && column.difference ? "both"
                         : column.conflict                    ? "conflict"
                                                              : "difference";
      std::string votes;
      for (const ColumnVote& v : columnVotes(contig, reads, c)) {
        const PlacedRead& placed = contig.reads[static_cast<std::size_t>(v.read)];
        if (!votes.empty()) votes += ',';
        votes += cleanField(reads[static_cast<std::size_t>(placed.input)].name) + ":" + v.letter +
                 ":" + (v.quality >= 0 ? std::to_string(v.quality) : "") + ":" +
                 (placed.reverse ? "-" : "+");
      }
      text += name + "\t" + position + "\t" + kind + "\t" + consensus + "\t" +
              std::to_string(column.quality) + "\t" + reference + "\t" + votes + "\n";
    }
  }
  return text;
}

}  // namespace vistrel
