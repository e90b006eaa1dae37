// The qc table as text. Numbers are written with a fixed number of decimals, so that a row read
// back from JSON is the same text as the row it was written from.
#include "trace_tool/qc_table.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

namespace vistrel {

namespace {

// Objects keep their keys in the order written, which is the order of the columns.
using json = nlohmann::ordered_json;

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

std::string numberText(double value, QcColumn::Kind kind) {
  switch (kind) {
    case QcColumn::Integer:
      return formatNumber(value, "%.0f");
    case QcColumn::Decimal1:
      return formatNumber(value, "%.1f");
    default:
      return formatNumber(value, "%.4f");
  }
}

bool sameColumns(const std::vector<std::string>& names, const std::vector<QcColumn>& columns) {
  if (names.size() != columns.size()) return false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] != columns[i].name) return false;
  }
  return true;
}

/// Takes the columns of the first output read, which are those of a run with or without a
/// reference; later outputs must have the same.
bool matchColumns(const std::vector<std::string>& names, QcTable& table, std::string& error) {
  if (table.columns.empty()) {
    for (bool withReference : {false, true}) {
      if (sameColumns(names, qcColumns(withReference))) table.columns = qcColumns(withReference);
    }
  }
  if (!sameColumns(names, table.columns)) {
    error = "its columns are not those of a qc run, or not those of the other parts";
    return false;
  }
  return true;
}

bool appendJsonLine(const std::string& line, QcTable& table, std::string& error) {
  const json object = json::parse(line, nullptr, false);
  if (!object.is_object()) {
    error = "a line is not a JSON object";
    return false;
  }
  std::vector<std::string> names;
  for (const auto& item : object.items()) names.push_back(item.key());
  if (!matchColumns(names, table, error)) return false;
  QcRow row;
  for (const QcColumn& c : table.columns) {
    const json& value = object[c.name];
    if (value.is_null()) {
      row.emplace_back();
    } else if (c.kind == QcColumn::Text && value.is_string()) {
      row.push_back(value.get<std::string>());
    } else if (c.kind != QcColumn::Text && value.is_number()) {
      row.push_back(numberText(value.get<double>(), c.kind));
    } else {
      error = "the value of " + c.name + " has the wrong type";
      return false;
    }
  }
  table.rows.push_back(std::move(row));
  return true;
}

}  // namespace

std::string formatNumber(double value, const char* format) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

int QcTable::column(const std::string& name) const {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

std::vector<QcColumn> qcColumns(bool withReference) {
  using K = QcColumn::Kind;
  std::vector<QcColumn> columns = {{"file", K::Text},
                                   {"sample", K::Text},
                                   {"well", K::Text},
                                   {"instrument", K::Text},
                                   {"run_date", K::Text},
                                   {"bases", K::Integer},
                                   {"trim_start", K::Integer},
                                   {"trim_end", K::Integer},
                                   {"trimmed_length", K::Integer},
                                   {"mean_quality", K::Decimal1},
                                   {"q20_bases", K::Integer},
                                   {"crl", K::Integer},
                                   {"mixed", K::Integer},
                                   {"signal", K::Decimal1},
                                   {"status", K::Text}};
  if (withReference) {
    columns.insert(columns.end(), {{"strand", K::Text},
                                   {"ref_start", K::Integer},
                                   {"ref_end", K::Integer},
                                   {"identity", K::Decimal4},
                                   {"differences", K::Integer}});
  }
  columns.insert(columns.end(), {{"plate", K::Text}, {"message", K::Text}, {"profile", K::Text}});
  return columns;
}

std::string tsvHeader(const std::vector<QcColumn>& columns) {
  std::string line;
  for (const QcColumn& c : columns) line += (line.empty() ? "" : "\t") + c.name;
  return line + "\n";
}

std::string tsvLine(const QcRow& row) {
  std::string line;
  for (std::size_t i = 0; i < row.size(); ++i) line += (i == 0 ? "" : "\t") + row[i];
  return line + "\n";
}

std::string jsonLine(const std::vector<QcColumn>& columns, const QcRow& row) {
  // Built as text so that the numbers keep the digits of the table.
  std::string line = "{";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) line += ",";
    line += json(columns[i].name).dump() + ":";
    if (row[i].empty()) {
      line += "null";
    } else if (columns[i].kind == QcColumn::Text) {
      line += json(row[i]).dump(-1, ' ', false, json::error_handler_t::replace);
    } else {
      line += row[i];
    }
  }
  return line + "}\n";
}

bool appendQcOutput(const std::string& text, QcTable& table, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    if (line.front() == '{') {
      if (!appendJsonLine(line, table, error)) return false;
    } else if (first) {
      if (!matchColumns(splitTabs(line), table, error)) return false;
    } else {
      QcRow row = splitTabs(line);
      if (row.size() != table.columns.size()) {
        error = "a line has " + std::to_string(row.size()) + " fields, not " +
                std::to_string(table.columns.size());
        return false;
      }
      table.rows.push_back(std::move(row));
    }
    first = false;
  }
  return true;
}

}  // namespace vistrel
