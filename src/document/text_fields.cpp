// The cleaning rule for fields.
#include "document/text_fields.h"

#include "document/trace_file.h"

namespace vistrel {

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
