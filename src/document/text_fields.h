// Texts from outside (file names, sample and record names, messages) as fields of the tables
// and files the program writes: one cleaning rule for every output.
#pragma once

#include <string>
#include <string_view>

namespace vistrel {

/// A text from outside as a field of a table row: every tab, line end and other control byte
/// (below 0x20, and 0x7F) becomes a space, so that it cannot split a row or a line. Other bytes
/// are kept as they are: a name that is not UTF-8 stays the same bytes. A JSON writer then
/// writes such bytes as U+FFFD.
std::string cleanField(std::string_view text);

/// `cleanField` for formats that are UTF-8 text (VCF): each byte that is not part of a
/// well-formed UTF-8 sequence becomes U+FFFD, as the JSON writers write it.
std::string cleanUtf8Field(std::string_view text);

}  // namespace vistrel
