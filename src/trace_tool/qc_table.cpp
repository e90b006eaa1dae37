// The qc table as text. Figures keep the text they were written with, so that a row read back
// from a part is written again with the same bytes; every value read back is checked first.
#include "trace_tool/qc_table.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "trace_tool/tool_text.h"

namespace vistrel {

namespace {

using json = nlohmann::json;

/// The value of `text` when the whole of it is a number in the JSON grammar:
/// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, without the fraction and exponent when `whole`.
std::optional<double> jsonNumber(std::string_view text, bool whole) {
  std::size_t at = 0;
  auto digits = [&] {
    const std::size_t from = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    return at - from;
  };
  if (at < text.size() && text[at] == '-') ++at;
  const std::size_t integerFrom = at;
  const std::size_t integerDigits = digits();
  if (integerDigits == 0 || (integerDigits > 1 && text[integerFrom] == '0')) return std::nullopt;
  if (!whole && at < text.size() && text[at] == '.') {
    ++at;
    if (digits() == 0) return std::nullopt;
  }
  if (!whole && at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (digits() == 0) return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  double value = 0;
  if (whole) {
    std::int64_t integer = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), integer);
    if (error != std::errc()) return std::nullopt;
    value = static_cast<double>(integer);
  } else {
    // Out of range (1e999) is no figure a table can hold.
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
  }
  return value;
}

std::optional<QcStatus> statusNamed(std::string_view name) {
  for (QcStatus s : {QcStatus::Pass, QcStatus::Weak, QcStatus::Fail, QcStatus::Error}) {
    if (name == statusName(s)) return s;
  }
  return std::nullopt;
}

std::optional<std::vector<int>> profileFrom(std::string_view text) {
  std::vector<int> profile;
  if (text.empty()) return profile;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    int value = -1;
    const char* end = text.data() + comma;
    const auto [stop, error] = std::from_chars(text.data() + at, end, value);
    if (error != std::errc() || stop != end || value < 0) return std::nullopt;
    profile.push_back(value);
    at = comma + 1;
  }
  return profile;
}

/// Sets the field of `column` from `text`; false when it is no value of that column.
bool setCell(const QcColumn& column, QcRecord& record, std::string_view text) {
  switch (column.kind) {
    case QcColumn::Text:
      record.*column.text = cleanField(text);
      return true;
    case QcColumn::Whole:
    case QcColumn::Decimal: {
      if (text.empty()) {
        record.*column.number = QcNumber();
        return true;
      }
      std::optional<QcNumber> number = QcNumber::parse(text, column.kind == QcColumn::Whole);
      if (number) record.*column.number = std::move(*number);
      return number.has_value();
    }
    case QcColumn::Status: {
      const std::optional<QcStatus> status = statusNamed(text);
      if (status) record.status = *status;
      return status.has_value();
    }
    case QcColumn::Profile: {
      std::optional<std::vector<int>> profile = profileFrom(text);
      if (profile) record.profile = std::move(*profile);
      return profile.has_value();
    }
  }
  return false;
}

std::string invalidValue(std::size_t line, const QcColumn& column) {
  static const char* const kExpected[] = {"a text", "a whole number", "a number",
                                          "pass, weak, fail or error", "a list of whole numbers"};
  return "line " + std::to_string(line) + ": the value of " + column.name + " is not " +
         kExpected[column.kind];
}

/// The keys and scalar values of a JSON object on one line, with each number's text as written.
class FlatObject : public nlohmann::json_sax<json> {
 public:
  enum Type { Null, String, Number, Other };
  struct Item {
    std::string key;
    Type type = Other;
    std::string text;
  };
  std::vector<Item> items;

  bool null() override { return add(Null, {}); }
  bool boolean(bool) override { return add(Other, {}); }
  bool number_integer(number_integer_t value) override {
    return add(Number, std::to_string(value));
  }
  bool number_unsigned(number_unsigned_t value) override {
    return add(Number, std::to_string(value));
  }
  bool number_float(number_float_t, const string_t& text) override { return add(Number, text); }
  bool string(string_t& text) override { return add(String, text); }
  bool binary(binary_t&) override { return add(Other, {}); }
  bool start_object(std::size_t) override { return depth_++ == 0; }
  bool key(string_t& name) override {
    items.push_back({name, Other, {}});
    return true;
  }
  bool end_object() override { return --depth_ == 0; }
  // A nested value is none of a row's.
  bool start_array(std::size_t) override { return false; }
  bool end_array() override { return false; }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool add(Type type, std::string text) {
    if (depth_ != 1 || items.empty()) return false;
    items.back().type = type;
    items.back().text = std::move(text);
    return true;
  }
  int depth_ = 0;
};

bool sameNames(const std::vector<std::string>& names, bool withReference) {
  const std::vector<QcColumn> columns = qcColumns(withReference);
  if (names.size() != columns.size()) return false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] != columns[i].name) return false;
  }
  return true;
}

/// Starts the table with the columns `names` are, or checks them against its columns.
bool matchColumns(const std::vector<std::string>& names, std::optional<QcTable>& table,
                  std::string& error) {
  if (!table) {
    for (bool withReference : {false, true}) {
      if (sameNames(names, withReference)) table = QcTable{withReference, {}};
    }
  }
  if (!table || !sameNames(names, table->withReference)) {
    error = "its columns are not those of a qc run, or not those of the other parts";
    return false;
  }
  return true;
}

bool appendJsonLine(std::string_view line, std::size_t number, std::optional<QcTable>& table,
                    std::string& error) {
  FlatObject object;
  if (!json::sax_parse(line.begin(), line.end(), &object)) {
    error = "line " + std::to_string(number) + " is not a JSON object of texts and numbers";
    return false;
  }
  std::vector<std::string> names;
  for (const FlatObject::Item& item : object.items) names.push_back(item.key);
  if (!matchColumns(names, table, error)) return false;
  const std::vector<QcColumn> columns = qcColumns(table->withReference);
  QcRecord record;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const FlatObject::Item& item = object.items[i];
    const bool fits = item.type == FlatObject::Null ||
                      (item.type == FlatObject::Number && columns[i].numeric()) ||
                      (item.type == FlatObject::String && !columns[i].numeric());
    if (!fits || !setCell(columns[i], record, item.text)) {
      error = invalidValue(number, columns[i]);
      return false;
    }
  }
  table->rows.push_back(std::move(record));
  return true;
}

std::vector<std::string> splitTabs(std::string_view line) {
  std::vector<std::string> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

bool appendTsvLine(std::string_view line, std::size_t number, bool first,
                   std::optional<QcTable>& table, std::string& error) {
  const std::vector<std::string> fields = splitTabs(line);
  // The header, first and again wherever several runs' outputs were put together.
  if (first || sameNames(fields, false) || sameNames(fields, true)) {
    return matchColumns(fields, table, error);
  }
  const std::vector<QcColumn> columns = qcColumns(table->withReference);
  if (fields.size() != columns.size()) {
    error = "line " + std::to_string(number) + " has " + std::to_string(fields.size()) +
            " fields, not " + std::to_string(columns.size());
    return false;
  }
  QcRecord record;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!setCell(columns[i], record, fields[i])) {
      error = invalidValue(number, columns[i]);
      return false;
    }
  }
  table->rows.push_back(std::move(record));
  return true;
}

}  // namespace

const char* statusName(QcStatus status) {
  switch (status) {
    case QcStatus::Pass:
      return "pass";
    case QcStatus::Weak:
      return "weak";
    case QcStatus::Fail:
      return "fail";
    case QcStatus::Error:
      return "error";
  }
  return "error";
}

QcNumber QcNumber::whole(std::int64_t value) {
  QcNumber number;
  number.text_ = std::to_string(value);
  number.value_ = static_cast<double>(value);
  return number;
}

QcNumber QcNumber::decimal(double value, int decimals) {
  if (!std::isfinite(value)) return {};
  const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
  text.pop_back();
  // The value of the text as written, so that a run and a merge of its parts agree.
  return parse(text, false).value_or(QcNumber());
}

std::optional<QcNumber> QcNumber::parse(std::string_view text, bool whole) {
  const std::optional<double> value = jsonNumber(text, whole);
  if (!value) return std::nullopt;
  QcNumber number;
  number.text_ = text;
  number.value_ = *value;
  return number;
}

std::vector<QcColumn> qcColumns(bool withReference) {
  using C = QcColumn;
  using R = QcRecord;
  std::vector<QcColumn> columns = {{"file", C::Text, &R::file},
                                   {"sample", C::Text, &R::sample},
                                   {"well", C::Text, &R::well},
                                   {"instrument", C::Text, &R::instrument},
                                   {"run_date", C::Text, &R::runDate},
                                   {"bases", C::Whole, nullptr, &R::bases},
                                   {"trim_start", C::Whole, nullptr, &R::trimStart},
                                   {"trim_end", C::Whole, nullptr, &R::trimEnd},
                                   {"trimmed_length", C::Whole, nullptr, &R::trimmedLength},
                                   {"mean_quality", C::Decimal, nullptr, &R::meanQuality},
                                   {"q20_bases", C::Whole, nullptr, &R::q20Bases},
                                   {"crl", C::Whole, nullptr, &R::crl},
                                   {"mixed", C::Whole, nullptr, &R::mixed},
                                   {"signal", C::Decimal, nullptr, &R::signal},
                                   {"status", C::Status}};
  if (withReference) {
    columns.insert(columns.end(), {{"strand", C::Text, &R::strand},
                                   {"ref_start", C::Whole, nullptr, &R::refStart},
                                   {"ref_end", C::Whole, nullptr, &R::refEnd},
                                   {"identity", C::Decimal, nullptr, &R::identity},
                                   {"differences", C::Whole, nullptr, &R::differences}});
  }
  columns.insert(
      columns.end(),
      {{"plate", C::Text, &R::plate}, {"message", C::Text, &R::message}, {"profile", C::Profile}});
  return columns;
}

std::string cellText(const QcColumn& column, const QcRecord& record) {
  switch (column.kind) {
    case QcColumn::Text:
      return record.*column.text;
    case QcColumn::Whole:
    case QcColumn::Decimal:
      return (record.*column.number).text();
    case QcColumn::Status:
      return statusName(record.status);
    case QcColumn::Profile: {
      std::string text;
      for (int value : record.profile) {
        if (!text.empty()) text += ',';
        text += std::to_string(value);
      }
      return text;
    }
  }
  return {};
}

namespace {

/// The tab-separated line of `text(column)` for each column.
template <typename Text>
std::string tabSeparated(bool withReference, Text text) {
  const std::vector<QcColumn> columns = qcColumns(withReference);
  std::string line;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) line += '\t';
    line += text(columns[i]);
  }
  line += '\n';
  return line;
}

}  // namespace

std::string tsvHeader(bool withReference) {
  return tabSeparated(withReference, [](const QcColumn& c) { return std::string(c.name); });
}

std::string tsvLine(const QcRecord& record, bool withReference) {
  return tabSeparated(withReference, [&](const QcColumn& c) { return cellText(c, record); });
}

std::string jsonLine(const QcRecord& record, bool withReference) {
  // Built as text so that the numbers keep the digits of the table.
  std::string line = "{";
  for (const QcColumn& c : qcColumns(withReference)) {
    if (line.size() > 1) line += ",";
    line += json(c.name).dump() + ":";
    const std::string text = cellText(c, record);
    if (text.empty()) {
      line += "null";
    } else if (c.numeric()) {
      line += text;
    } else {
      line += json(validUtf8(text)).dump(-1, ' ', false, json::error_handler_t::replace);
    }
  }
  return line + "}\n";
}

std::string validUtf8(std::string_view text) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  std::string valid;
  valid.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      valid += text[i++];
      continue;
    }
    // The length of the sequence and the range its second byte must lie in, which rules out
    // overlong forms, surrogates and code points past U+10FFFF.
    int more = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      more = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      more = 2;
      low = lead == 0xE0 ? 0xA0 : 0x80;
      high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      more = 3;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    std::size_t end = i + 1;
    for (int k = 0; k < more && end < text.size(); ++k, ++end) {
      const auto next = static_cast<unsigned char>(text[end]);
      if (next < (k == 0 ? low : 0x80) || next > (k == 0 ? high : 0xBF)) break;
    }
    if (more > 0 && end == i + 1 + static_cast<std::size_t>(more)) {
      valid.append(text.substr(i, end - i));
    } else {
      // The bytes of a broken sequence are one replacement; the byte that broke it starts anew.
      valid += kReplacement;
    }
    i = end;
  }
  return valid;
}

bool appendQcOutput(std::string_view text, std::optional<QcTable>& table, std::string& error) {
  bool first = true;
  bool jsonLines = false;
  std::size_t number = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    // The first line tells the format: a row of a tab-separated part may begin with '{' too.
    if (first) jsonLines = line.front() == '{';
    const bool ok = jsonLines ? appendJsonLine(line, number, table, error)
                              : appendTsvLine(line, number, first, table, error);
    if (!ok) return false;
    first = false;
  }
  if (first) error = "it is empty";
  return !first;
}

}  // namespace vistrel
