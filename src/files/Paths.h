// Paths beside the executable.
#pragma once

#include <string>

namespace files {

// The folder of an executable path, with its trailing backslash.
inline std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace files
