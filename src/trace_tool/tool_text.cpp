// Tool texts: one line per message.
#include "trace_tool/tool_text.h"

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

}  // namespace vistrel
