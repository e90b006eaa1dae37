// The table `vistrel-trace qc` prints: one typed record per file, its columns, and a writer per
// format (tab-separated, JSON lines), with the reader that joins earlier outputs for --merge.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

enum class QcStatus { Pass, Weak, Fail, Error };

/// "pass", "weak", "fail" or "error".
const char* statusName(QcStatus status);

/// A figure of the table as it is written: its text, always a number as JSON writes one, so
/// that a figure read from a part is copied whole; or no value at all.
class QcNumber {
 public:
  QcNumber() = default;

  static QcNumber whole(std::int64_t value);
  /// `value` with `decimals` places; no value when it is not finite.
  static QcNumber decimal(double value, int decimals);
  /// The figure `text` is, when it is a number as JSON writes one (a whole number in the range of
  /// 64 bits when `whole`, else any finite one); nothing otherwise.
  static std::optional<QcNumber> parse(std::string_view text, bool whole);

  bool empty() const { return text_.empty(); }
  const std::string& text() const { return text_; }
  double value() const { return value_; }

 private:
  std::string text_;
  double value_ = 0;
};

/// The row of one file. Texts come from outside and are cleaned as fields (cleanField).
struct QcRecord {
  std::string file;
  std::string sample;
  std::string well;
  std::string instrument;
  std::string runDate;
  QcNumber bases;
  QcNumber trimStart;
  QcNumber trimEnd;
  QcNumber trimmedLength;
  QcNumber meanQuality;
  QcNumber q20Bases;
  QcNumber crl;
  QcNumber mixed;
  QcNumber signal;
  QcStatus status = QcStatus::Error;
  // The alignment's, in a run with a reference.
  std::string strand;
  QcNumber refStart;
  QcNumber refEnd;
  QcNumber identity;
  QcNumber differences;
  std::string plate;
  std::string message;
  std::vector<int> profile;  ///< the mean quality of each stretch of the read; empty for none
};

/// One column: its name, the kind of its values, and the field of the record it shows.
struct QcColumn {
  enum Kind { Text, Whole, Decimal, Status, Profile };
  const char* name;
  Kind kind;
  std::string QcRecord::*text = nullptr;  ///< for Text
  QcNumber QcRecord::*number = nullptr;   ///< for Whole and Decimal

  bool numeric() const { return kind == Whole || kind == Decimal; }
};

/// The columns of a run, in order, with the alignment's when a reference is given.
std::vector<QcColumn> qcColumns(bool withReference);

/// The text of `column` in `record`: empty for no value.
std::string cellText(const QcColumn& column, const QcRecord& record);

struct QcTable {
  bool withReference = false;
  std::vector<QcRecord> rows;
};

std::string tsvHeader(bool withReference);
std::string tsvLine(const QcRecord& record, bool withReference);
/// One JSON object on one line: numbers as numbers, empty values as null, texts as valid UTF-8.
std::string jsonLine(const QcRecord& record, bool withReference);

/// `text` as valid UTF-8: each byte sequence that is not UTF-8 becomes U+FFFD, as a JSON writer
/// writes it, so that a page made from JSON parts has the bytes of the one made from the run.
std::string validUtf8(std::string_view text);

/// Appends the rows of an earlier output (tab-separated with its header, which may come again
/// between rows, or JSON lines; CR LF line ends read as LF) to `table`, made with the columns of
/// the first output read; later ones must have the same. Every value is checked: a number must
/// be one of its column's kind, a status one of the four, a profile whole numbers. False, with
/// the reason in `error`, when it cannot, or when `text` holds no line.
bool appendQcOutput(std::string_view text, std::optional<QcTable>& table, std::string& error);

}  // namespace vistrel
