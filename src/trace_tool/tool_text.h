// Texts the command-line tool writes: messages on one line each, and fields of its tables (TSV,
// VCF, JSON) that come from outside (file names, sample names, messages) cleaned by one rule.
#pragma once

#include <string>
#include <string_view>

#include "document/load_error.h"

namespace vistrel {

/// `message` on one line: each line break becomes a space, so that a log keeps one line per
/// file.
std::string oneLine(std::string_view message);

/// The message of a failed load, on one line.
std::string loadFailureText(const LoadError& error);

/// A text from outside as a field of a table row: every tab, line end and other control byte
/// (below 0x20, and 0x7F) becomes a space, so that it cannot split a row or a line. Other bytes
/// are kept as they are: a name that is not UTF-8 stays the same bytes. A JSON writer then
/// writes such bytes as U+FFFD.
std::string cleanField(std::string_view text);

/// `cleanField` for formats that are UTF-8 text (VCF): each byte that is not part of a
/// well-formed UTF-8 sequence becomes U+FFFD, as the JSON writers write it.
std::string cleanUtf8Field(std::string_view text);

}  // namespace vistrel
