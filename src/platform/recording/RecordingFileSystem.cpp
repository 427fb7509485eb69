// The recorded file system.
#include "platform/recording/RecordingFileSystem.h"

namespace platform::recording {
namespace {

// Per thread, as GetLastError is.
thread_local long lastError = kErrorSuccess;

std::string Normal(const std::string& path) { return RemovedNames::Normal(path); }

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// Removing what is not there is nothing to do, not a failure.
bool NothingToDo(ChangeKind kind, long error) {
  return IsNotFound(error) && (kind == ChangeKind::RemoveFile || kind == ChangeKind::RemoveFolder ||
                               kind == ChangeKind::RemoveLink || kind == ChangeKind::SetAttributes);
}

// A listing, with the entries a preview removed left out.
class RecordingFind : public FileFind {
 public:
  RecordingFind(RecordingFileSystem& files, std::unique_ptr<FileFind> inner, std::string folder)
      : files_(files), inner_(std::move(inner)), folder_(std::move(folder)) {}
  // Whether `first`, from the inner FindFirst, or an entry after it is listed.
  bool ListFirst(FindData* first) { return Listed(first) || Next(first); }
  bool Next(FindData* data) override {
    while (inner_->Next(data)) {
      if (Listed(data)) return true;
    }
    return false;
  }

 private:
  bool Listed(FindData* data) { return files_.Admit(folder_, data); }

  RecordingFileSystem& files_;
  std::unique_ptr<FileFind> inner_;
  std::string folder_;
};

// Bytes written into an existing file: noted as one change when the file is
// closed. A preview's writes go nowhere.
class RecordingWritableFile : public WritableFile {
 public:
  RecordingWritableFile(RecordingFileSystem& files, std::string path, std::unique_ptr<WritableFile> inner,
                        uint64_t previewSize)
      : files_(files), path_(std::move(path)), inner_(std::move(inner)), previewSize_(previewSize) {}
  ~RecordingWritableFile() override {
    if (written_ > 0 || error_ != kErrorSuccess) {
      files_.Outcome(ChangeKind::WriteIntoFile, path_, error_, written_);
    }
  }
  uint64_t Size() override { return inner_ ? inner_->Size() : previewSize_; }
  bool Seek(uint64_t offset) override { return inner_ ? inner_->Seek(offset) : true; }
  bool Write(const void* data, uint32_t size) override {
    if (inner_ && !inner_->Write(data, size)) {
      if (error_ == kErrorSuccess) error_ = files_.inner().LastError();
      return false;
    }
    written_ += size;
    return true;
  }

 private:
  RecordingFileSystem& files_;
  std::string path_;
  std::unique_ptr<WritableFile> inner_;  // null in a preview
  uint64_t previewSize_;
  uint64_t written_ = 0;
  long error_ = kErrorSuccess;
};

// A folder opened as itself, recorded. A run passes every call through and
// notes its outcome; a preview changes nothing and notes what would change,
// and lists the folder as those changes would have left it.
class RecordingFolder : public FolderHandle {
 public:
  RecordingFolder(RecordingFileSystem& files, std::unique_ptr<FolderHandle> inner)
      : files_(files), inner_(std::move(inner)) {}
  const std::string& path() const override { return inner_->path(); }

  bool List(std::vector<FindData>* entries) override {
    if (!inner_->List(entries)) return files_.Failed(files_.inner().LastError());
    // Admit may change an entry (a preview's attributes), so no remove_if.
    size_t shown = 0;
    for (FindData& entry : *entries) {
      if (!files_.Admit(path(), &entry)) continue;
      if (&entry != &(*entries)[shown]) (*entries)[shown] = std::move(entry);
      ++shown;
    }
    entries->resize(shown);
    listed_ = *entries;
    next_ = 0;
    return true;
  }

  std::unique_ptr<FolderHandle> OpenFolder(const std::string& name, uint64_t listed) override {
    if (files_.preview() && files_.RemovedInPreview(PathOf(name))) {
      files_.Failed(kErrorFileNotFound);
      return nullptr;
    }
    std::unique_ptr<FolderHandle> folder = inner_->OpenFolder(name, listed);
    if (!folder) {
      files_.Failed(files_.inner().LastError());
      return nullptr;
    }
    return std::make_unique<RecordingFolder>(files_, std::move(folder));
  }

  bool FinalPath(std::string* path) override {
    return inner_->FinalPath(path) || files_.Failed(files_.inner().LastError());
  }

  bool ClearReadOnly(const std::string& name, uint64_t listed) override {
    const std::string target = PathOf(name);
    const uint32_t now = files_.GetAttributes(target);
    const uint32_t cleared = now == kInvalidAttributes ? 0 : now & ~uint32_t{kAttrReadOnly};
    if (files_.preview()) {
      // Refused as a cleaning refuses it: the bit of a file with another name is every name's.
      FileIdentity identity;
      if (now != kInvalidAttributes && !(now & kAttrDirectory) && files_.inner().Identify(target, &identity) &&
          identity.linkCount != 1) {
        return files_.Outcome(ChangeKind::SetAttributes, target, kErrorAccessDenied, 0, cleared);
      }
      return files_.SetAttributes(target, cleared);
    }
    long error = inner_->ClearReadOnly(name, listed) ? kErrorSuccess : files_.inner().LastError();
    return files_.Outcome(ChangeKind::SetAttributes, target, error, 0, cleared);
  }

  bool RemoveEntry(const std::string& name, uint64_t listed) override {
    std::string target = PathOf(name);
    const FindData* entry = Listed(name);
    const bool link = entry && IsLink(*entry);
    const uint64_t size = entry ? entry->size : 0;
    const ChangeKind kind = link ? ChangeKind::RemoveLink : ChangeKind::RemoveFile;
    if (!files_.preview()) {
      long error = inner_->RemoveEntry(name, listed) ? kErrorSuccess : files_.inner().LastError();
      return files_.Outcome(kind, std::move(target), error, link ? 0 : size);
    }
    // A file another program holds open cannot be told from here: it is
    // noted as removable, and a real run says otherwise.
    long error = link    ? (files_.RemovedInPreview(target) ? long{kErrorFileNotFound} : long{kErrorSuccess})
                 : entry ? files_.WhyNotRemovableAsListed(target, *entry)
                         : files_.WhyNotRemovable(target, false);
    return files_.NoteRemoval(kind, target, error, link ? 0 : size);
  }

  bool ReadSecurity(FolderSecurity* security) override {
    return inner_->ReadSecurity(security) || files_.Failed(files_.inner().LastError());
  }

  bool RemoveSelf() override {
    if (files_.preview()) return files_.RemoveFolder(path());
    long error = inner_->RemoveSelf() ? kErrorSuccess : files_.inner().LastError();
    return files_.Outcome(ChangeKind::RemoveFolder, path(), error);
  }

  std::unique_ptr<WritableFile> OpenFileForWrite(const std::string& name, uint64_t listed) override {
    const std::string target = PathOf(name);
    if (!files_.preview()) {
      std::unique_ptr<WritableFile> file = inner_->OpenFileForWrite(name, listed);
      // Opening changes nothing; what the caller does about it is noted.
      if (!file) {
        files_.Failed(files_.inner().LastError());
        return nullptr;
      }
      return std::make_unique<RecordingWritableFile>(files_, target, std::move(file), 0);
    }
    long error = files_.WhyNotRemovable(target, false);
    if (error != kErrorSuccess) {
      files_.Failed(error);
      return nullptr;
    }
    const FindData* entry = Listed(name);
    return std::make_unique<RecordingWritableFile>(files_, target, nullptr, entry ? entry->size : 0);
  }

 private:
  std::string PathOf(const std::string& name) const { return path() + "\\" + name; }
  // The last listing's entry of that name; null when it had none. Searched
  // from the one after the last found, since an emptying works through the
  // listing in its order: a purge of thousands of entries makes no search.
  const FindData* Listed(const std::string& name) {
    for (size_t k = 0; k < listed_.size(); ++k) {
      const size_t i = (next_ + k) % listed_.size();
      if (util::EqualNoCase(listed_[i].name, name)) {
        next_ = i + 1;
        return &listed_[i];
      }
    }
    return nullptr;
  }

  RecordingFileSystem& files_;
  std::unique_ptr<FolderHandle> inner_;
  // What the last listing gave, for the sizes and kinds a report names.
  std::vector<FindData> listed_;
  size_t next_ = 0;
};

}  // namespace

bool RecordingFileSystem::Failed(long error) {
  lastError = error;
  return false;
}

bool RecordingFileSystem::RemovedInPreview(const std::string& path) { return removed_.Contains(path); }

bool RecordingFileSystem::NoteRemoval(ChangeKind kind, const std::string& path, long error, uint64_t size) {
  if (error == kErrorSuccess) removed_.Add(path);
  return Outcome(kind, path, error, size);
}

std::unique_ptr<FolderHandle> RecordingFileSystem::OpenFolder(const std::string& path, bool asItself) {
  if (recorder_.preview() && removed_.Contains(path)) {
    Failed(kErrorFileNotFound);
    return nullptr;
  }
  std::unique_ptr<FolderHandle> folder = inner_.OpenFolder(path, asItself);
  if (!folder) {
    Failed(inner_.LastError());
    return nullptr;
  }
  return std::make_unique<RecordingFolder>(*this, std::move(folder));
}

bool RecordingFileSystem::Outcome(ChangeKind kind, std::string path, long error, uint64_t bytes, uint32_t attributes,
                                  const std::string& name) {
  lastError = error;
  if (NothingToDo(kind, error)) return false;
  Change change;
  change.kind = kind;
  change.target = std::move(path);
  change.name = name;
  change.bytes = bytes;
  change.attributes = attributes;
  change.error = error;
  recorder_.Note(std::move(change));
  return error == kErrorSuccess;
}

bool RecordingFileSystem::Admit(const std::string& folder, FindData* entry) {
  if (!recorder_.preview() || IsDotEntry(entry->name)) return true;
  const std::string path = Normal(folder + "\\" + entry->name);
  if (removed_.Contains(path)) return false;
  auto set = attributes_.find(path);
  if (set != attributes_.end()) entry->attributes = set->second;
  return true;
}

std::unique_ptr<FileFind> RecordingFileSystem::FindFirst(const std::string& pattern, FindData* first) {
  std::unique_ptr<FileFind> find = inner_.FindFirst(pattern, first);
  if (!find) return nullptr;
  auto recorded = std::make_unique<RecordingFind>(*this, std::move(find), FolderOf(pattern));
  if (recorded->ListFirst(first)) return recorded;
  return nullptr;  // everything it lists, a preview has removed
}

uint32_t RecordingFileSystem::GetAttributes(const std::string& path) {
  if (recorder_.preview()) {
    if (removed_.Contains(path)) return kInvalidAttributes;
    auto set = attributes_.find(Normal(path));
    if (set != attributes_.end()) return set->second;
  }
  return inner_.GetAttributes(path);
}

bool RecordingFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  if (!recorder_.preview()) {
    bool done = inner_.SetAttributes(path, attributes);
    return Outcome(ChangeKind::SetAttributes, path, done ? kErrorSuccess : inner_.LastError(), 0, attributes);
  }
  uint32_t now = GetAttributes(path);
  if (now == kInvalidAttributes) return Outcome(ChangeKind::SetAttributes, path, kErrorFileNotFound);
  // The kind of entry is no attribute that can be set; no attributes at all is "normal".
  const uint32_t kind = kAttrDirectory | kAttrReparsePoint;
  uint32_t settable = attributes & ~kind;
  attributes_[Normal(path)] = (now & kind) | (settable == 0 && !(now & kind) ? kAttrNormal : settable);
  return Outcome(ChangeKind::SetAttributes, path, kErrorSuccess, 0, attributes);
}

long RecordingFileSystem::WhyNotRemovable(const std::string& path, bool folder) {
  uint32_t attributes = GetAttributes(path);
  if (attributes == kInvalidAttributes) return kErrorFileNotFound;
  if (!folder && (attributes & kAttrDirectory)) return kErrorAccessDenied;
  if (folder && !(attributes & kAttrDirectory)) return kErrorDirectory;
  if (attributes & kAttrReadOnly) return kErrorAccessDenied;
  return kErrorSuccess;
}

long RecordingFileSystem::WhyNotRemovableAsListed(const std::string& path, const FindData& entry) {
  if (removed_.Contains(path)) return kErrorFileNotFound;
  auto set = attributes_.find(Normal(path));
  const uint32_t attributes = set != attributes_.end() ? set->second : entry.attributes;
  return attributes & (kAttrDirectory | kAttrReadOnly) ? kErrorAccessDenied : kErrorSuccess;
}

uint64_t RecordingFileSystem::SizeOf(const std::string& path) {
  FindData entry;
  return inner_.FindFirst(path, &entry) ? entry.size : 0;
}

bool RecordingFileSystem::RemoveFile(const std::string& path) {
  if (!recorder_.preview()) {
    const uint64_t size = SizeOf(path);
    bool done = inner_.RemoveFile(path);
    return Outcome(ChangeKind::RemoveFile, path, done ? kErrorSuccess : inner_.LastError(), size);
  }
  // A file another program holds open cannot be told from here: it is
  // noted as removable, and a real run says otherwise.
  return NoteRemoval(ChangeKind::RemoveFile, path, WhyNotRemovable(path, false), SizeOf(path));
}

bool RecordingFileSystem::RemoveFolder(const std::string& path) {
  if (!recorder_.preview()) {
    bool done = inner_.RemoveFolder(path);
    return Outcome(ChangeKind::RemoveFolder, path, done ? kErrorSuccess : inner_.LastError());
  }
  long error = WhyNotRemovable(path, true);
  // Empty once what the preview removed is gone, which the preview's own
  // listing leaves out; a link goes by itself.
  if (error == kErrorSuccess && !(GetAttributes(path) & kAttrReparsePoint)) {
    FindData entry;
    if (std::unique_ptr<FileFind> find = FindFirst(path + "\\*", &entry)) {
      do {
        if (!IsDotEntry(entry.name)) error = kErrorDirNotEmpty;
      } while (error == kErrorSuccess && find->Next(&entry));
    }
  }
  if (error == kErrorSuccess) removed_.Add(path);
  return Outcome(ChangeKind::RemoveFolder, path, error);
}

bool RecordingFileSystem::MakeFolder(const std::string& path) {
  long error = kErrorSuccess;
  if (!recorder_.preview()) {
    if (!inner_.MakeFolder(path)) error = inner_.LastError();
  } else if (GetAttributes(path) != kInvalidAttributes) {
    error = kErrorAlreadyExists;
  } else if (!(GetAttributes(FolderOf(path)) & kAttrDirectory)) {
    error = kErrorPathNotFound;
  }
  // Making what is there already changes nothing.
  if (error == kErrorAlreadyExists) {
    lastError = error;
    return false;
  }
  return Outcome(ChangeKind::MakeFolder, path, error);
}

long RecordingFileSystem::ReplaceFileBelow(const std::string& start, const std::string& path,
                                           const std::string& bytes) {
  long error = recorder_.preview() ? kErrorSuccess : inner_.ReplaceFileBelow(start, path, bytes);
  Outcome(ChangeKind::ReplaceFile, path, error, bytes.size());
  return error;
}

bool RecordingFileSystem::WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                                         const std::string& value) {
  long error = kErrorSuccess;
  if (!recorder_.preview()) {
    if (!inner_.WriteIniString(file, section, key, value)) error = inner_.LastError();
  } else {
    // A missing file would be made; a read-only one refuses.
    uint32_t attributes = GetAttributes(file);
    if (attributes != kInvalidAttributes && (attributes & (kAttrDirectory | kAttrReadOnly))) {
      error = kErrorAccessDenied;
    }
  }
  return Outcome(ChangeKind::WriteIni, file, error, 0, 0, "[" + section + "] " + key + "=" + value);
}

bool RecordingFileSystem::Identify(const std::string& path, FileIdentity* identity) {
  return inner_.Identify(path, identity);
}

bool RecordingFileSystem::LongPathName(const std::string& path, std::string* longPath) {
  return inner_.LongPathName(path, longPath);
}

bool RecordingFileSystem::SameName(const std::string& a, const std::string& b) { return inner_.SameName(a, b); }

std::unique_ptr<ReadableFile> RecordingFileSystem::OpenForRead(const std::string& path, long* error) {
  return inner_.OpenForRead(path, error);
}

long RecordingFileSystem::LastError() { return lastError; }

}  // namespace platform::recording
