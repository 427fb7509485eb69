// The recorder: the decorated platform and the journal of changes.
#include "platform/recording/Recorder.h"

#include "platform/recording/RecordingDatabases.h"
#include "platform/recording/RecordingFileSystem.h"
#include "platform/recording/RecordingRegistry.h"
#include "platform/recording/RecordingStores.h"

namespace platform::recording {

struct Recorder::Services {
  Services(Platform& inner, Recorder& recorder)
      : files(inner.files, recorder),
        registry(inner.registry, recorder),
        security(inner.security, registry),
        shell(inner.shell, recorder),
        urlCache(inner.urlCache, recorder),
        urlHistory(inner.urlHistory, recorder),
        databases(inner.databases, recorder) {}

  RecordingFileSystem files;
  RecordingRegistry registry;
  RecordingSecurity security;
  RecordingShell shell;
  RecordingUrlCache urlCache;
  RecordingUrlHistory urlHistory;
  RecordingDatabases databases;
};

Recorder::Recorder(Platform& inner, Mode mode) : mode_(mode), services_(std::make_unique<Services>(inner, *this)) {
  current_ = &sections_[section_];
  // What changes nothing is the platform's own: the clock, the process,
  // the desktop, sound, the audio output, text conversion.
  Services& s = *services_;
  platform_ = std::make_unique<Platform>(Platform{s.registry, inner.process, inner.clock, s.files, inner.desktop,
                                                  inner.sound, inner.audio, s.shell, s.urlCache, s.urlHistory,
                                                  s.security, inner.ansi, s.databases, inner.http});
}

Recorder::~Recorder() = default;

void Recorder::BeginSection(int section) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  section_ = section;
  current_ = &sections_[section];
}

void Recorder::Note(Change change) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  change.section = section_;
  Tally& tally = current_->tallies[static_cast<int>(change.kind)][change.error != 0][change.cookie];
  ++tally.count;
  tally.bytes += change.bytes;
  if (current_->listed >= kMaxListed) return;
  ++current_->listed;
  changes_.push_back(std::move(change));
}

void Recorder::NoteCookieSeen(const std::string& sourceName) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string>& seen = current_->cookiesSeen;
  if (seen.size() < kMaxListed) seen.push_back(sourceName);
}

std::vector<Change> Recorder::Changes() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return changes_;
}

void Recorder::ReadChanges(const std::function<void(const std::vector<Change>&)>& read) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  read(changes_);
}

Tally Recorder::TallyOf(int section, ChangeKind kind, bool failed, bool cookie) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = sections_.find(section);
  return it == sections_.end() ? Tally{} : it->second.tallies[static_cast<int>(kind)][failed][cookie];
}

std::vector<std::string> Recorder::CookiesSeen(int section) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = sections_.find(section);
  return it == sections_.end() ? std::vector<std::string>{} : it->second.cookiesSeen;
}

std::string KeyName(RegRoot root, const std::string& path) {
  std::string name;
  switch (root) {
    case RegRoot::CurrentUser:
      name = "HKEY_CURRENT_USER";
      break;
    case RegRoot::LocalMachine:
      name = "HKEY_LOCAL_MACHINE";
      break;
    case RegRoot::ClassesRoot:
      name = "HKEY_CLASSES_ROOT";
      break;
    case RegRoot::Users:
      name = "HKEY_USERS";
      break;
    case RegRoot::CurrentConfig:
      name = "HKEY_CURRENT_CONFIG";
      break;
    case RegRoot::LocalMachine32:
      name = "HKEY_LOCAL_MACHINE (32-bit view)";
      break;
    case RegRoot::ClassesRoot32:
      name = "HKEY_CLASSES_ROOT (32-bit view)";
      break;
  }
  if (path.empty() || path.front() != '\\') name += '\\';
  return name + path;
}

}  // namespace platform::recording
