// Tool texts: one line per message, one cleaning rule per field.
#include "trace_tool/tool_text.h"

#include "document/trace_file.h"

namespace vistrel {

std::string oneLine(std::string_view message) {
  std::string line;
  line.reserve(message.size());
  for (std::size_t i = 0; i < message.size(); ++i) {
    const char c = message[i];
    // A CR LF pair is one break.
    if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
    line += c == '\r' || c == '\n' ? ' ' : c;
  }
  return line;
}

std::string loadFailureText(const LoadError& error) {
  return oneLine(loadErrorMessage(error));
}

std::string cleanField(std::string_view text) {
  std::string field(text);
  for (char& c : field) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return field;
}

std::string cleanUtf8Field(std::string_view text) {
  const std::string field = cleanField(text);
  std::string valid;
  valid.reserve(field.size());
  for (std::size_t at = 0; at < field.size();) {
    const std::size_t length = wellFormedLength(field, at);
    valid +=
        length == 0 ? std::string_view("\xEF\xBF\xBD") : std::string_view(field).substr(at, length);
    at += length == 0 ? 1 : length;
  }
  return valid;
}

}  // namespace vistrel
