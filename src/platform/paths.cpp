// File path parts.
#include "platform/paths.h"

namespace vistrel {

std::string fileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string fileStemOf(std::string_view path) {
  std::string name = fileNameOf(path);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string parentFolderOf(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string siblingWithSuffix(std::string_view path, std::string_view suffix) {
  if (path.empty()) return {};
  std::string folder = parentFolderOf(path);
  if (folder.back() != '/') folder += '/';
  return folder + fileStemOf(path) + std::string(suffix);
}

}  // namespace vistrel
