// The parts of a file path, as the batch tools and readers name things after files: one rule
// for every place that takes a file's name, its name without the extension, or its folder.
#pragma once

#include <string>
#include <string_view>

namespace vistrel {

/// The last component of `path`, after its last '/'.
std::string fileNameOf(std::string_view path);

/// The file name of `path` without its extension: up to its last '.', unless that is the
/// name's first character (".hidden" keeps its name).
std::string fileStemOf(std::string_view path);

/// The folder holding `path`: "." for a bare name, "/" for a name in the root folder.
std::string parentFolderOf(std::string_view path);

/// The name a save dialog suggests for what is made of the file at `path`: beside it, its stem
/// with `suffix` (".scf"); empty for an empty path.
std::string siblingWithSuffix(std::string_view path, std::string_view suffix);

}  // namespace vistrel
