// The keep-list file "Settings\SafeCookies.txt" beside the executable: the
// sites whose cookies the cookie cleaner spares. One site per line, in the
// system's ANSI code page, nothing trimmed.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace cookies {

// Raised by ReadKeepList when the file exists but cannot be read, or must not
// be: reached through a link, too large, not convertible. what() is a
// sentence a user can read.
class KeepListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The full path of the keep-list file.
std::string KeepListPath(platform::Platform& platform);

// Creates the "Settings" folder (one level) when it is missing, then loads
// every line of the file (UTF-8 inside). A missing file, or a folder that
// could not be made, is an empty list. Throws KeepListError when the file
// exists but cannot be read, or when the folder or the file is a link or is
// reached through one, or the file has another name (a hard link): nothing
// is read then.
std::vector<std::string> ReadKeepList(platform::Platform& platform);

// Creates the "Settings" folder when it is missing, then replaces the file
// as a whole with `lines`, each ended by CR LF (no lines: a zero-byte file).
// The replacement is atomic: a reader sees the old list or the new one. On
// failure returns false, leaves the old file as it was, and puts a sentence
// a user can read in *whyNot. Through a link, as for reading, nothing is
// written or made (not even the temporary file of the replacement).
bool WriteKeepList(platform::Platform& platform, const std::vector<std::string>& lines, std::string* whyNot = nullptr);

// Whether the keep-list, a file in the system's code page, can hold `site`
// exactly: a name with a character the code page lacks cannot be kept.
bool CanKeep(platform::Platform& platform, const std::string& site);

// Splits text at CR, LF or CR LF; a last line without an end counts, a final
// line end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace cookies
