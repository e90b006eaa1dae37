// Texts the command-line tool writes: messages on one line each, and (from document/text_fields.h)
// fields of its tables that come from outside, cleaned by one rule.
#pragma once

#include <string>
#include <string_view>

#include "document/load_error.h"
#include "document/text_fields.h"

namespace vistrel {

/// `message` on one line: each line break becomes a space, so that a log keeps one line per
/// file.
std::string oneLine(std::string_view message);

/// The message of a failed load, on one line.
std::string loadFailureText(const LoadError& error);

}  // namespace vistrel
