// Reference parsing: the three layouts are told apart by their first line.
#include "document/reference.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "document/load_error.h"
#include "document/trace_file.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vistrel {

namespace {

constexpr char kNucleotides[] = "ACGTUNRYKMSWBDHV";

/// The next line of `text` from `at` (without its line end), moving `at` past it.
std::string_view nextLine(std::string_view text, std::size_t& at) {
  const std::size_t end = std::min(text.find('\n', at), text.size());
  std::string_view line = text.substr(at, end - at);
  at = end + 1;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

/// What a byte of a sequence line is: a letter as it is kept (upper case, U as T), a blank, a
/// digit (GenBank's position numbers) or anything else.
enum class ByteKind : std::uint8_t { Other, Blank, Digit, Letter };

struct ByteTable {
  std::array<ByteKind, 256> kind{};
  std::array<char, 256> letter{};
};

constexpr ByteTable makeByteTable() {
  ByteTable t;
  for (const char* c = kNucleotides; *c != '\0'; ++c) {
    const char kept = *c == 'U' ? 'T' : *c;
    for (const char spelt : {*c, static_cast<char>(*c - 'A' + 'a')}) {
      const auto i = static_cast<unsigned char>(spelt);
      t.kind[i] = ByteKind::Letter;
      t.letter[i] = kept;
    }
  }
  for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
    t.kind[static_cast<unsigned char>(c)] = ByteKind::Blank;
  }
  for (char c = '0'; c <= '9'; ++c) t.kind[static_cast<unsigned char>(c)] = ByteKind::Digit;
  return t;
}

// Looked up once per byte: a chromosome's letters are read in a fraction of a second.
constexpr ByteTable kByteTable = makeByteTable();

/// Appends the letters of `line` to `sequence`, skipping blanks and (for GenBank) the position
/// numbers. False at any other character.
bool appendLetters(std::string_view line, bool skipDigits, std::string& sequence) {
  const std::size_t start = sequence.size();
  sequence.resize(start + line.size());
  char* out = sequence.data() + start;
  for (char ch : line) {
    const auto i = static_cast<unsigned char>(ch);
    switch (kByteTable.kind[i]) {
      case ByteKind::Letter:
        *out++ = kByteTable.letter[i];
        break;
      case ByteKind::Blank:
        break;
      case ByteKind::Digit:
        if (skipDigits) break;
        [[fallthrough]];
      case ByteKind::Other:
        sequence.resize(start);
        return false;
    }
  }
  sequence.resize(static_cast<std::size_t>(out - sequence.data()));
  return true;
}

std::string_view firstWord(std::string_view s) {
  std::size_t start = 0;
  while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start])) != 0) ++start;
  std::size_t end = start;
  while (end < s.size() && std::isspace(static_cast<unsigned char>(s[end])) == 0) ++end;
  return s.substr(start, end - start);
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())) != 0) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())) != 0) s.remove_suffix(1);
  return s;
}

/// Where the body of the first record that `wanted` names starts (just after its header line),
/// and its header after the '>'; npos when none. A record is named by its first word, as other
/// tools index FASTA files, or by its whole header line, so that a name with blanks can be
/// given. Only a header without blanks is both, so the two never name different records.
std::size_t findFastaRecord(std::string_view text, std::string_view wanted,
                            std::string_view& header) {
  for (std::size_t at = 0; at < text.size();) {
    const std::string_view line = nextLine(text, at);
    if (line.empty() || line.front() != '>') continue;
    header = line.substr(1);
    if (wanted.empty() || firstWord(header) == wanted || trimmed(header) == wanted) return at;
  }
  return std::string_view::npos;
}

Reference parseFasta(std::string_view text, std::string_view wanted, std::string& error) {
  std::string_view header;
  std::size_t at = findFastaRecord(text, wanted, header);
  if (at == std::string_view::npos) {
    error = "The FASTA file has no record named \"" + std::string(wanted) + "\".";
    return {};
  }
  Reference found;
  found.name = std::string(firstWord(header));
  while (at < text.size()) {
    const std::string_view line = nextLine(text, at);
    if (!line.empty() && line.front() == '>') break;
    if (!appendLetters(line, false, found.sequence)) {
      error = "The FASTA record holds characters that are not bases.";
      return {};
    }
  }
  return found;
}

/// Whether a LOCUS line names the molecule's topology as circular: one of its words, in any case.
bool saysCircular(std::string_view locus) {
  for (std::string_view rest = locus; !rest.empty();) {
    const std::string_view word = firstWord(rest);
    if (word.empty()) break;
    if (word.size() == 8 && std::equal(word.begin(), word.end(), "circular", [](char c, char l) {
          return std::tolower(static_cast<unsigned char>(c)) == l;
        })) {
      return true;
    }
    rest.remove_prefix(static_cast<std::size_t>(word.data() + word.size() - rest.data()));
  }
  return false;
}

Reference parseGenBank(std::string_view text, std::string& error) {
  Reference found;
  std::size_t at = 0;
  while (at < text.size()) {
    std::string_view line = nextLine(text, at);
    if (line.rfind("LOCUS", 0) == 0) {
      found.name = std::string(firstWord(line.substr(5)));
      found.circular = saysCircular(line.substr(5));
    }
    if (line.rfind("ORIGIN", 0) == 0) break;
  }
  while (at < text.size()) {
    std::string_view line = nextLine(text, at);
    if (line.rfind("//", 0) == 0) break;
    if (!appendLetters(line, true, found.sequence)) {
      error = "The GenBank sequence holds characters that are not bases.";
      return {};
    }
  }
  return found;
}

bool isIdCharacter(char c, bool first) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  // A first '#' would make a VCF record read as a header line; SAM gives '*' and '=' first a
  // meaning of their own.
  if (first) return std::string_view("!$%&+./:;?@^_|~-").find(c) != std::string_view::npos;
  return std::string_view("!#$%&+./:;?@^_|~-*=").find(c) != std::string_view::npos;
}

}  // namespace

Reference parseReference(std::string_view text, std::string_view recordName, std::string& error) {
  error.clear();
  std::size_t start = 0;
  while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])) != 0) {
    ++start;
  }
  const std::string_view body = text.substr(start);
  Reference found;
  if (!body.empty() && body.front() == '>') {
    found = parseFasta(body, recordName, error);
  } else if (body.rfind("LOCUS", 0) == 0) {
    found = parseGenBank(body, error);
  } else if (!appendLetters(body, false, found.sequence)) {
    error = "The file is not a FASTA, GenBank or plain sequence file.";
    return {};
  }
  if (error.empty() && found.sequence.empty()) error = "The reference holds no sequence.";
  if (!error.empty()) return {};
  return found;
}

std::vector<std::string> fastaRecordHeaders(std::string_view text) {
  std::vector<std::string> headers;
  if (trimmed(text).substr(0, 1) != ">") return headers;
  for (std::size_t at = 0; at < text.size();) {
    const std::string_view line = nextLine(text, at);
    if (!line.empty() && line.front() == '>') headers.emplace_back(trimmed(line.substr(1)));
  }
  return headers;
}

std::vector<std::string> referenceRecordsInFile(const std::string& path) {
  Block text;
  if (readWholeFile(path, text).status != FileReadStatus::Ok) return {};
  return fastaRecordHeaders(
      std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

Reference readReferenceFile(const std::string& path, std::string_view recordName,
                            std::string& error) {
  Block text;
  const FileReadResult read = readWholeFile(path, text);
  std::error_code ignored;
  if (read.status == FileReadStatus::OpenFailed && std::filesystem::is_directory(path, ignored)) {
    error = "The reference is a folder, not a file.";
    return {};
  }
  // An empty file opens but gives nothing to read; it is a reference without a sequence.
  const bool empty = read.status == FileReadStatus::ReadFailed &&
                     std::filesystem::is_regular_file(path, ignored) &&
                     std::filesystem::file_size(path, ignored) == 0;
  if (read.status != FileReadStatus::Ok && !empty) {
    LoadError why{LoadError::Unreadable};
    if (read.status == FileReadStatus::OpenFailed)
      why = {LoadError::OpenFailed, read.openErrorCode};
    if (read.status == FileReadStatus::NoMemory) why = {LoadError::NoMemory};
    error = loadErrorMessage(why);
    return {};
  }
  Reference reference = parseReference(
      std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), recordName, error);
  if (error.empty() && reference.name.empty()) {
    reference.name = fileStemOf(path);
  }
  return reference;
}

std::string referenceId(std::string_view name) {
  const std::string text(name);
  std::string id;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = std::max<std::size_t>(1, wellFormedLength(text, at));
    id += length == 1 && isIdCharacter(text[at], id.empty()) ? text[at] : '_';
    at += length;
  }
  return id.empty() ? "reference" : id;
}

}  // namespace vistrel
