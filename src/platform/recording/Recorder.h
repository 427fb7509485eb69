// A decorator over the platform services that writes down every change a
// program makes (a deletion, an attribute change, a value written, a cache
// entry deleted, the recycle bin emptied, an access list set, rows of a
// browser's database deleted), and either
// makes it and notes the outcome (a real run) or only notes it (a preview).
// Every read passes through, so code written for the platform runs on it
// unchanged. It knows nothing of what the changes are for: a caller marks
// which part of its work is running with BeginSection.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform::recording {

enum class Mode {
  Preview,      // nothing is changed; a change is noted with what it would likely meet
  PassThrough,  // every change is made and noted with its outcome
};

enum class ChangeKind {
  RemoveFile,
  RemoveFolder,
  RemoveLink,
  MakeFolder,
  SetAttributes,
  WriteIntoFile,  // bytes written into an existing file
  ReplaceFile,
  WriteIni,
  CreateKey,
  DeleteKey,
  DeleteValue,
  SetValue,
  SetKeyAccess,
  DeleteCacheEntry,
  ClearHistory,
  EmptyRecycleBin,
  DeleteRows,  // rows of a database table: `target` the file, `name` the table, `items` the rows
  UpdateRows,
  ClearJumpList,  // an application's recent and frequent entries: `target` its AppUserModelID
};
constexpr int kChangeKinds = static_cast<int>(ChangeKind::ClearJumpList) + 1;

struct Change {
  ChangeKind kind = ChangeKind::RemoveFile;
  int section = -1;
  // A path; a registry key as "HKEY_CURRENT_USER\..."; a cache entry's source name.
  std::string target;
  // A registry value's name; "[section] key=value" of an INI file.
  std::string name;
  uint64_t bytes = 0;       // a file's size, the bytes written, the recycle bin's size
  uint64_t items = 0;       // the recycle bin's items, a table's rows
  uint32_t attributes = 0;  // the attributes set
  bool cookie = false;      // a cache entry of the cookie kind
  // A Win32 error code or an HRESULT: why the change failed, or in a
  // preview why it would; 0 when it was made (or would be).
  long error = 0;
};

// The sum of the changes of one kind and one outcome in one section (cookies
// apart from other cache entries), kept whole when the list of changes is not.
struct Tally {
  uint64_t count = 0;
  uint64_t bytes = 0;
};

class Recorder {
 public:
  Recorder(Platform& inner, Mode mode);
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // What the recorded program runs on.
  Platform& platform() { return *platform_; }
  bool preview() const { return mode_ == Mode::Preview; }

  // The changes and sightings that follow belong to `section`.
  void BeginSection(int section);

  // The changes in order. The list keeps kMaxListed per section; the tallies
  // count every change.
  static constexpr size_t kMaxListed = 20000;
  std::vector<Change> Changes() const;
  // Lends the list to `read` without copying it; `read` may ask this
  // recorder for more meanwhile, and nothing is noted until it returns.
  void ReadChanges(const std::function<void(const std::vector<Change>&)>& read) const;
  Tally TallyOf(int section, ChangeKind kind, bool failed, bool cookie = false) const;
  // The source names of the cookie entries a walk of the cache met, per
  // section (at most kMaxListed each).
  std::vector<std::string> CookiesSeen(int section) const;

  // For the decorators.
  void Note(Change change);
  void NoteCookieSeen(const std::string& sourceName);

 private:
  struct Services;
  Mode mode_;
  // What is kept of one section: a change is counted here without a search.
  struct Section {
    Tally tallies[kChangeKinds][2][2] = {};  // by kind, failed, cookie
    size_t listed = 0;
    std::vector<std::string> cookiesSeen;
  };
  mutable std::recursive_mutex mutex_;
  int section_ = -1;
  Section* current_ = nullptr;  // sections_[section_]
  std::vector<Change> changes_;
  std::map<int, Section> sections_;
  std::unique_ptr<Services> services_;
  std::unique_ptr<Platform> platform_;
};

// "HKEY_CURRENT_USER\path", "HKEY_LOCAL_MACHINE\path", ...; a 32-bit view
// as "HKEY_LOCAL_MACHINE (32-bit view)\path".
std::string KeyName(RegRoot root, const std::string& path);

}  // namespace platform::recording
