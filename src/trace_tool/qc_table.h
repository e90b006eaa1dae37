// The table `vistrel-trace qc` prints: its columns, one row per file as text, and the same rows
// as tab-separated lines or JSON objects, written and read back (for --merge).
#pragma once

#include <string>
#include <vector>

namespace vistrel {

struct QcColumn {
  enum Kind { Text, Integer, Decimal1, Decimal4 };
  std::string name;
  Kind kind = Text;
};

/// The values of one file, as text in column order; an empty text is an empty value.
using QcRow = std::vector<std::string>;

struct QcTable {
  std::vector<QcColumn> columns;
  std::vector<QcRow> rows;

  /// The index of the column `name`, or -1.
  int column(const std::string& name) const;
};

/// The columns of a run, with the alignment's when a reference is given.
std::vector<QcColumn> qcColumns(bool withReference);

/// `value` written with a printf format such as "%.1f".
std::string formatNumber(double value, const char* format);

std::string tsvHeader(const std::vector<QcColumn>& columns);
std::string tsvLine(const QcRow& row);
/// One JSON object on one line: numbers as numbers, empty values as null.
std::string jsonLine(const std::vector<QcColumn>& columns, const QcRow& row);

/// Appends the rows of an earlier output (tab-separated with its header, or JSON lines) to
/// `table`, which takes the columns of the first output and requires them of the later ones.
/// False, with the reason in `error`, when it cannot.
bool appendQcOutput(const std::string& text, QcTable& table, std::string& error);

}  // namespace vistrel
