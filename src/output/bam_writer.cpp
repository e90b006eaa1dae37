// BAM output through htslib: the reads checked and cleaned, sorted, then written and indexed in
// a scratch folder beside the target, and both files put in place as every other output is.
#include "output/bam_writer.h"

#include <htslib/hts.h>
#include <htslib/sam.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>

#include "document/reference.h"
#include "document/trace_file.h"
#include "platform/block.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/program.h"

namespace vistrel {

namespace {

constexpr std::uint8_t kMappingQuality = 60;
// SAM writes a quality as the one character '!' + quality, '~' at most.
constexpr std::uint8_t kHighestQuality = 93;
// BAM stores a name's length, its closing zero byte included, in one byte.
constexpr std::size_t kLongestReadName = 254;
// BAM keeps an operation's length in the 28 bits above its code, a reference's in 32 signed.
constexpr std::uint32_t kLongestOperation = (1u << (32 - BAM_CIGAR_SHIFT)) - 1;
constexpr std::int64_t kLongestReference = INT32_MAX;

/// A read ready for htslib: its name cleaned and its CIGAR encoded.
struct Record {
  BamRead read;
  std::vector<std::uint32_t> cigar;
};

/// `name` as SAM takes a read's name: each character (a UTF-8 one, or a stray byte) outside the
/// printable ASCII letters but '@' becomes '_', so no tab, line end or blank can split a line;
/// "*", SAM's word for no name, when empty.
std::string readNameOf(const std::string& name) {
  std::string clean;
  for (std::size_t at = 0; at < name.size() && clean.size() < kLongestReadName;) {
    const std::size_t length = std::max<std::size_t>(1, wellFormedLength(name, at));
    const char c = name[at];
    clean += length == 1 && c > ' ' && c <= '~' && c != '@' ? c : '_';
    at += length;
  }
  return clean.empty() ? "*" : clean;
}

/// A letter BAM can hold: an IUPAC code of either case (U read as T).
bool isSequenceLetter(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return c != '=' && (seq_nt16_table[byte] != 15 || c == 'N' || c == 'n');
}

/// Whether every clip stands outside the aligned part of `cigar`, hard clips outermost.
bool clipsOutside(const std::vector<std::pair<char, std::uint32_t>>& cigar) {
  const auto isClip = [](const auto& op) { return op.first == 'S' || op.first == 'H'; };
  const auto first = std::find_if_not(cigar.begin(), cigar.end(), isClip);
  if (first == cigar.end()) return true;
  const auto last = std::find_if_not(cigar.rbegin(), cigar.rend(), isClip).base();
  if (std::any_of(first, last, isClip)) return false;
  return cigar.size() < 3 || std::none_of(cigar.begin() + 1, cigar.end() - 1,
                                          [](const auto& op) { return op.first == 'H'; });
}

/// `read`'s CIGAR in BAM's encoding. False when it cannot describe the read on a reference of
/// `referenceLength` letters: an unknown operation or one of no length, a clip inside the read,
/// no aligned base, a query length other than the letters', or a span outside the reference.
bool encodeCigar(const BamRead& read, std::int64_t referenceLength,
                 std::vector<std::uint32_t>& cigar) {
  std::int64_t queryLength = 0;
  std::int64_t referenceSpan = 0;
  bool aligned = false;
  if (!clipsOutside(read.cigar)) return false;
  for (const auto& [letter, length] : read.cigar) {
    const int op = bam_cigar_table[static_cast<unsigned char>(letter)];
    if (op < 0 || length == 0 || length > kLongestOperation) return false;
    const int type = bam_cigar_type(op);
    if (type & 1) queryLength += length;
    if (type & 2) referenceSpan += length;
    aligned = aligned || type == 3;
    cigar.push_back(bam_cigar_gen(length, op));
  }
  return aligned && queryLength == static_cast<std::int64_t>(read.letters.size()) &&
         read.position >= 0 && read.position <= referenceLength - referenceSpan;
}

/// `read` checked and made ready; false when it cannot be written as it is.
bool recordOf(BamRead read, std::int64_t referenceLength, Record& record) {
  if (!read.qualities.empty() && read.qualities.size() != read.letters.size()) return false;
  if (!std::all_of(read.letters.begin(), read.letters.end(), isSequenceLetter)) return false;
  if (!encodeCigar(read, referenceLength, record.cigar)) return false;
  read.name = readNameOf(read.name);
  for (std::uint8_t& q : read.qualities) q = std::min(q, kHighestQuality);
  record.read = std::move(read);
  return true;
}

std::string headerText(const std::string& referenceName, std::int64_t referenceLength) {
  const std::string_view program = kProgramIdentification;
  const std::size_t space = program.rfind(' ');
  return "@HD\tVN:1.6\tSO:coordinate\n@SQ\tSN:" + referenceId(referenceName) +
         "\tLN:" + std::to_string(referenceLength) +
         "\n@PG\tID:vistrel\tPN:" + std::string(program.substr(0, space)) +
         "\tVN:" + std::string(program.substr(space + 1)) + "\n";
}

struct HtsCloser {
  void operator()(sam_hdr_t* header) const { sam_hdr_destroy(header); }
  void operator()(bam1_t* record) const { bam_destroy1(record); }
};

bool setRecord(bam1_t* bam, const Record& record) {
  const BamRead& read = record.read;
  const std::uint16_t flag =
      (read.reverse ? BAM_FREVERSE : 0) | (read.supplementary ? BAM_FSUPPLEMENTARY : 0);
  const char* qualities =
      read.qualities.empty() ? nullptr : reinterpret_cast<const char*>(read.qualities.data());
  return bam_set1(bam, read.name.size(), read.name.c_str(), flag, 0, read.position, kMappingQuality,
                  record.cigar.size(), record.cigar.data(), -1, -1, 0, read.letters.size(),
                  read.letters.data(), qualities, 0) >= 0;
}

/// Writes the header and `records` as BAM at `path`.
OutputError encodeBam(const std::string& path, const std::string& header,
                      const std::vector<Record>& records) {
  std::unique_ptr<sam_hdr_t, HtsCloser> samHeader(sam_hdr_init());
  std::unique_ptr<bam1_t, HtsCloser> bam(bam_init1());
  if (!samHeader || !bam || sam_hdr_add_lines(samHeader.get(), header.data(), header.size()) != 0)
    return {OutputError::NoMemory};
  htsFile* file = hts_open(path.c_str(), "wb");
  if (file == nullptr) return {OutputError::WriteFailed};
  OutputError::Kind failure =
      sam_hdr_write(file, samHeader.get()) == 0 ? OutputError::None : OutputError::WriteFailed;
  for (std::size_t i = 0; failure == OutputError::None && i < records.size(); ++i) {
    // The reads were checked, so only memory can fail in setting one.
    if (!setRecord(bam.get(), records[i])) {
      failure = OutputError::NoMemory;
    } else if (sam_write1(file, samHeader.get(), bam.get()) < 0) {
      failure = OutputError::WriteFailed;
    }
  }
  if (sam_close(file) != 0 && failure == OutputError::None) failure = OutputError::WriteFailed;
  return {failure};
}

/// A private folder for htslib's files, removed with them when it goes.
class ScratchFolder {
 public:
  ScratchFolder() = default;
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    if (folder_.empty()) return;
    ::unlink(bamPath().c_str());
    ::unlink(indexPath().c_str());
    ::rmdir(folder_.c_str());
  }

  /// Creates the folder inside `parent`; 0 or an errno value.
  int create(const std::string& parent) {
    // "./" keeps htslib from reading a relative name such as "data:x" as an address.
    std::string name = (parent.starts_with('/') ? parent : "./" + parent) + "/.vistrel-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) return errno;
    folder_ = std::move(name);
    return 0;
  }
  std::string bamPath() const { return folder_ + "/reads.bam"; }
  // Where sam_index_build puts the index of bamPath().
  std::string indexPath() const { return bamPath() + ".bai"; }

 private:
  std::string folder_;
};

OutputError readBack(const std::string& path, Block& bytes) {
  const FileReadResult read = readWholeFile(path, bytes);
  if (read.status == FileReadStatus::NoMemory) return {OutputError::NoMemory};
  if (read.status != FileReadStatus::Ok) return {OutputError::WriteFailed};
  return {};
}

/// Makes the BAM file and its index in `scratch` and reads both back.
OutputError makeFiles(const ScratchFolder& scratch, const std::string& header,
                      const std::vector<Record>& records, Block& bam, Block& index) {
  if (OutputError e = encodeBam(scratch.bamPath(), header, records)) return e;
  if (sam_index_build(scratch.bamPath().c_str(), 0) != 0) return {OutputError::WriteFailed};
  if (OutputError e = readBack(scratch.bamPath(), bam)) return e;
  return readBack(scratch.indexPath(), index);
}

}  // namespace

OutputError writeBam(const std::string& path, const std::string& referenceName,
                     std::int64_t referenceLength, std::vector<BamRead> reads) {
  if (referenceLength < 1 || referenceLength > kLongestReference) return {OutputError::WriteFailed};
  std::vector<Record> records(reads.size());
  for (std::size_t i = 0; i < reads.size(); ++i) {
    if (!recordOf(std::move(reads[i]), referenceLength, records[i])) {
      return {OutputError::WriteFailed};
    }
  }
  // Names order the reads of one position, so the same reads give the same file.
  std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
    if (a.read.position != b.read.position) return a.read.position < b.read.position;
    return a.read.name < b.read.name;
  });

  const std::string indexPath = path + ".bai";
  ReplacingFileWriter bamTarget;
  ReplacingFileWriter indexTarget;
  if (!bamTarget.create(path)) return {OutputError::CreateFailed, bamTarget.openErrorCode()};
  if (!indexTarget.create(indexPath)) {
    return {OutputError::CreateFailed, indexTarget.openErrorCode()};
  }
  ScratchFolder scratch;
  if (int error = scratch.create(parentFolderOf(path)); error != 0) {
    return {OutputError::CreateFailed, fileOpenErrorCode(error, path)};
  }
  Block bam;
  Block index;
  if (OutputError e =
          makeFiles(scratch, headerText(referenceName, referenceLength), records, bam, index)) {
    return e;
  }
  // The data first, so that the index is never older than the file it indexes.
  if (!bamTarget.commit(bam.data(), bam.size())) return {OutputError::WriteFailed};
  if (!indexTarget.commit(index.data(), index.size())) {
    // A new file beside an old index would be read wrongly.
    ::unlink(path.c_str());
    ::unlink(indexPath.c_str());
    return {OutputError::WriteFailed};
  }
  return {};
}

}  // namespace vistrel
