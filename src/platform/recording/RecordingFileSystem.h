// The file system, recorded. In a preview it keeps what the noted changes
// would have done (entries removed, attributes set) and shows listings and
// attributes through that, so a folder emptied earlier reads as empty and a
// file whose read-only bit was cleared reads as deletable. Used by one
// thread at a time, as a cleaning run is.
#pragma once

#include <map>
#include <string>

#include "platform/FileSystem.h"
#include "platform/recording/Recorder.h"
#include "platform/recording/RemovedNames.h"
#include "util/Text.h"

namespace platform::recording {

class RecordingFileSystem : public FileSystem {
 public:
  RecordingFileSystem(FileSystem& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}

  std::unique_ptr<FileFind> FindFirst(const std::string& pattern, FindData* first) override;
  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path, bool asItself) override;
  uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool MakeFolder(const std::string& path) override;
  bool Identify(const std::string& path, FileIdentity* identity) override;
  bool LongPathName(const std::string& path, std::string* longPath) override;
  bool SameName(const std::string& a, const std::string& b) override;
  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, long* error) override;
  long ReplaceFileBelow(const std::string& start, const std::string& path, const std::string& bytes) override;
  bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value) override;
  long LastError() override;

  // For the listings: whether an entry shows, with its attributes as a
  // preview has them.
  bool Admit(const std::string& folder, FindData* entry);
  // Notes a change of `kind` to `path`; false, with the thread's error set,
  // when it failed (or would). Removing what is not there is nothing to do:
  // not noted.
  bool Outcome(ChangeKind kind, std::string path, long error, uint64_t bytes = 0, uint32_t attributes = 0,
               const std::string& name = {});
  FileSystem& inner() { return inner_; }
  bool preview() const { return recorder_.preview(); }
  // Sets the thread's error; false.
  bool Failed(long error);
  // Preview: whether `path` is removed, and what a deletion of it would meet.
  bool RemovedInPreview(const std::string& path);
  long WhyNotRemovable(const std::string& path, bool folder);
  // The same for a file as its folder's last listing showed it, which a
  // preview then need not look up again.
  long WhyNotRemovableAsListed(const std::string& path, const FindData& entry);
  // Notes a removal that a preview would make (when `error` is success).
  bool NoteRemoval(ChangeKind kind, const std::string& path, long error, uint64_t size);

 private:
  uint64_t SizeOf(const std::string& path);

  FileSystem& inner_;
  Recorder& recorder_;
  // Preview only.
  RemovedNames removed_;
  std::map<std::string, uint32_t, util::LessNoCase> attributes_;
};

}  // namespace platform::recording
