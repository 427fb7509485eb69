// The simulated file system.
#include "platform/sim/SimFileSystem.h"

#include <algorithm>
#include <atomic>

#include "platform/ErrorCodes.h"
#include "platform/sim/SimNames.h"
#include "util/Text.h"

namespace platform::sim {
namespace {

class SimFind : public FileFind {
 public:
  explicit SimFind(std::vector<FindData> entries) : entries_(std::move(entries)) {}
  bool Next(FindData* data) override {
    if (next_ >= entries_.size()) return false;
    *data = entries_[next_++];
    return true;
  }

 private:
  std::vector<FindData> entries_;
  size_t next_ = 1;  // the first entry went out with FindFirst
};

class SimWritableFile : public WritableFile {
 public:
  SimWritableFile(std::shared_ptr<SimFileSystem::Node> node, std::recursive_mutex& mutex)
      : node_(std::move(node)), mutex_(mutex) {}
  uint64_t Size() override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return node_->content.size();
  }
  bool Seek(uint64_t offset) override {
    position_ = offset;
    return true;
  }
  bool Write(const void* data, uint32_t size) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::string& c = node_->content;
    if (c.size() < position_ + size) c.resize(position_ + size, '\0');
    std::copy_n(static_cast<const char*>(data), size, c.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ += size;
    return true;
  }

 private:
  std::shared_ptr<SimFileSystem::Node> node_;
  std::recursive_mutex& mutex_;
  uint64_t position_ = 0;
};

class SimReadableFile : public ReadableFile {
 public:
  SimReadableFile(std::shared_ptr<SimFileSystem::Node> node, std::string finalPath, std::recursive_mutex& mutex)
      : node_(std::move(node)), finalPath_(std::move(finalPath)), mutex_(mutex) {}
  bool Identify(FileIdentity* identity) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    *identity = {finalPath_, node_->linkCount};
    return true;
  }
  long ReadAll(size_t maxBytes, std::string* bytes) override {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (node_->content.size() > maxBytes) return kErrorFileTooLarge;
    *bytes = node_->content;
    return kErrorSuccess;
  }

 private:
  std::shared_ptr<SimFileSystem::Node> node_;
  std::string finalPath_;
  std::recursive_mutex& mutex_;
};

// What Windows 10 and 11 give a folder made in the user's own tree, and the
// root of the system drive (C:\, where every signed-in user may make
// folders): the full rights of FILE_ALL_ACCESS, the read and execute rights
// of FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, and FILE_ADD_SUBDIRECTORY.
constexpr uint32_t kAllAccess = 0x1F01FF;
constexpr uint32_t kReadAndExecute = 0x1200A9;
constexpr uint32_t kAddSubdirectory = 0x4;
const FolderSecurity& UsersOwnFolder() {
  static const FolderSecurity security{
      kSimUserSid, {{kSimUserSid, kAllAccess}, {"S-1-5-18", kAllAccess}, {"S-1-5-32-544", kAllAccess}}};
  return security;
}
const FolderSecurity& DriveRoot() {
  static const FolderSecurity security{"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                                       {{"S-1-5-18", kAllAccess},
                                        {"S-1-5-32-544", kAllAccess},
                                        {"S-1-5-32-545", kReadAndExecute},
                                        {"S-1-5-11", kAddSubdirectory}}};
  return security;
}

// Windows gives up on a path after this many links (ERROR_CANT_RESOLVE_FILENAME).
constexpr int kMaxLinkHops = 63;

// Per thread, as GetLastError is.
thread_local long lastError = kErrorSuccess;

bool Fail(long error) {
  lastError = error;
  return false;
}

// What Windows answers for a path that names nothing: the file is missing
// (2), or already a folder on the way is (3).
long MissingError(const std::shared_ptr<SimFileSystem::Node>& parent) {
  return parent ? long{kErrorFileNotFound} : long{kErrorPathNotFound};
}

// How a path the system gives begins for a root of drives_: "C:", or a
// share's "\\server".
std::string RootName(const std::string& root) { return root.back() == ':' ? root : "\\\\" + root; }

}  // namespace

uint64_t SimFileSystem::Node::NextId() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

SimFileSystem::SimFileSystem() { AddDirectory("C:\\"); }

std::shared_ptr<SimFileSystem::Node> SimFileSystem::Resolve(const std::string& path, bool followLast,
                                                            std::shared_ptr<Node>* parent, std::string* leaf,
                                                            std::string* finalPath, int hops) {
  std::vector<std::string> parts = PathParts(path);
  if (parts.empty() || hops > kMaxLinkHops) return nullptr;
  auto drive = drives_.find(parts[0]);
  if (drive == drives_.end()) return nullptr;
  std::shared_ptr<Node> node = drive->second;
  std::shared_ptr<Node> up;
  // The path reached so far, in the names' own spelling, links followed.
  std::string reached = RootName(drive->first);
  for (size_t i = 1; i < parts.size(); ++i) {
    if (!node->linkTarget.empty()) node = Resolve(node->linkTarget, true, nullptr, nullptr, &reached, hops + 1);
    if (!node || !node->directory) return nullptr;
    up = node;
    auto it = node->children.find(parts[i]);
    if (it == node->children.end()) {
      if (i + 1 == parts.size()) {
        if (parent) *parent = up;
        if (leaf) *leaf = parts[i];
      }
      return nullptr;
    }
    node = it->second;
    reached += "\\" + it->first;
  }
  if (parent) *parent = up;
  if (leaf) *leaf = parts.size() > 1 ? parts.back() : std::string();
  if (followLast && !node->linkTarget.empty()) {
    return Resolve(node->linkTarget, true, nullptr, nullptr, finalPath, hops + 1);
  }
  if (finalPath) *finalPath = parts.size() > 1 ? reached : reached + "\\";
  return node;
}

void SimFileSystem::Unlink(const std::shared_ptr<Node>& parent, const std::string& leaf) {
  auto it = parent->children.find(leaf);
  if (it == parent->children.end()) return;
  --it->second->linkCount;
  parent->children.erase(it);
}

std::unique_ptr<FileFind> SimFileSystem::FindFirst(const std::string& pattern, FindData* first) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  // The mask is the last part once "." and ".." are resolved; a pattern
  // that ends with a separator names nothing to match.
  std::vector<std::string> parts = PathParts(pattern);
  if (parts.size() < 2 || pattern.back() == '\\' || pattern.back() == '/') return nullptr;
  const std::string mask = parts.back();
  parts.pop_back();
  std::string folderPath;
  for (const std::string& part : parts) folderPath += part + "\\";
  std::shared_ptr<Node> folder = Resolve(folderPath, true);
  if (!folder || !folder->directory) return nullptr;
  std::vector<FindData> entries;
  if (parts.size() > 1 && MatchesNameMask(mask, ".")) {
    entries.push_back({".", kAttrDirectory, 0});
    entries.push_back({"..", kAttrDirectory, 0});
  }
  for (const auto& [name, node] : folder->children) {
    // As Windows does, a mask matches a short (8.3) name too.
    if (MatchesNameMask(mask, name) || (!node->shortName.empty() && MatchesNameMask(mask, node->shortName))) {
      entries.push_back({name, node->attributes, node->content.size(), node->reparseTag, node->id});
    }
  }
  if (entries.empty()) return nullptr;
  *first = entries.front();
  return std::make_unique<SimFind>(std::move(entries));
}

uint32_t SimFileSystem::GetAttributes(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> node = Resolve(path, false);
  return node ? node->attributes : kInvalidAttributes;
}

bool SimFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> parent;
  std::shared_ptr<Node> node = Resolve(path, false, &parent);
  if (!node) return Fail(MissingError(parent));
  // The kind of entry is not an attribute that can be set.
  uint32_t fixed = node->attributes & (kAttrDirectory | kAttrReparsePoint);
  uint32_t settable = attributes & ~(kAttrDirectory | kAttrReparsePoint);
  node->attributes = fixed | (settable == 0 && !fixed ? kAttrNormal : settable);
  return true;
}

bool SimFileSystem::RemoveFile(const std::string& path) {
  gate.Pass("RemoveFile");
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> parent;
  std::string leaf;
  std::shared_ptr<Node> node = Resolve(path, false, &parent, &leaf);
  if (!node) return Fail(MissingError(parent));
  if (node->directory) return Fail(kErrorAccessDenied);
  if (long error = WhyNotRemovable(*node, parent)) return Fail(error);
  Unlink(parent, leaf);
  return true;
}

long SimFileSystem::WhyNotRemovable(const Node& node, const std::shared_ptr<Node>& parent) {
  if (!parent || (node.attributes & kAttrReadOnly)) return kErrorAccessDenied;
  // A link goes by itself; what it leads to is not touched.
  if (node.directory && node.linkTarget.empty() && !node.children.empty()) return kErrorDirNotEmpty;
  // Programs open files sharing reading and writing, rarely deletion.
  if (node.heldOpen) return kErrorSharingViolation;
  return kErrorSuccess;
}

std::shared_ptr<SimFileSystem::Node> SimFileSystem::ParentOf(const Node* node, std::string* leaf) {
  std::string path;
  std::shared_ptr<Node> parent;
  if (PathOf(node, &path)) Resolve(path, false, &parent, leaf);
  return parent;
}

bool SimFileSystem::PathOf(const Node* node, std::string* path) {
  // Folders have one name each, so a search from the drives finds the one.
  struct Found {
    std::shared_ptr<Node> folder;
    std::string path;
  };
  std::vector<Found> folders;
  for (const auto& [name, drive] : drives_) {
    if (drive.get() == node) {
      *path = RootName(name) + "\\";
      return true;
    }
    folders.push_back({drive, RootName(name)});
  }
  while (!folders.empty()) {
    Found at = std::move(folders.back());
    folders.pop_back();
    for (const auto& [name, child] : at.folder->children) {
      if (child.get() == node) {
        *path = at.path + "\\" + name;
        return true;
      }
      if (child->directory && child->linkTarget.empty()) folders.push_back({child, at.path + "\\" + name});
    }
  }
  return false;
}

// A folder opened as itself: it holds the folder's node, wherever the folder
// is moved or whatever takes its name meanwhile.
class SimFolderHandle : public FolderHandle {
 public:
  SimFolderHandle(SimFileSystem& files, std::shared_ptr<SimFileSystem::Node> node, std::string path)
      : files_(files), node_(std::move(node)), path_(std::move(path)) {}
  const std::string& path() const override { return path_; }

  bool List(std::vector<FindData>* entries) override {
    std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    entries->clear();
    for (const auto& [name, child] : node_->children) {
      entries->push_back({name, child->attributes, child->content.size(), child->reparseTag, child->id});
    }
    return true;
  }

  std::unique_ptr<FolderHandle> OpenFolder(const std::string& name, uint64_t listed) override {
    std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    std::shared_ptr<SimFileSystem::Node> child = Entry(name, listed);
    if (!child) return nullptr;
    // Opened as itself, a link is the link, which cannot be listed as the folder it stands for.
    if (!child->linkTarget.empty()) {
      Fail(kErrorStoppedOnSymlink);
      return nullptr;
    }
    if (!child->directory) {
      Fail(kErrorDirectory);
      return nullptr;
    }
    return std::make_unique<SimFolderHandle>(files_, child, path_ + "\\" + name);
  }

  bool FinalPath(std::string* path) override {
    std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    return files_.PathOf(node_.get(), path) || Fail(kErrorFileNotFound);
  }

  bool ClearReadOnly(const std::string& name, uint64_t listed) override {
    std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    std::shared_ptr<SimFileSystem::Node> child = Entry(name, listed);
    if (!child) return false;
    if (!child->linkTarget.empty()) return Fail(kErrorStoppedOnSymlink);
    // The attributes are the file's: clearing them through one name clears them for every other.
    if (!child->directory && child->linkCount != 1) return Fail(kErrorAccessDenied);
    child->attributes &= ~uint32_t{kAttrReadOnly};
    if (child->attributes == 0) child->attributes = kAttrNormal;
    return true;
  }

  bool RemoveEntry(const std::string& name, uint64_t listed) override {
    files_.gate.Pass("RemoveFile");
    std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    std::shared_ptr<SimFileSystem::Node> child = Entry(name, listed);
    if (!child) return false;
    // A folder that is no link is refused, as the Win32 layer must refuse
    // what Wine opens for a link to a folder.
    if (child->directory && child->linkTarget.empty()) return Fail(kErrorStoppedOnSymlink);
    if (long error = SimFileSystem::WhyNotRemovable(*child, node_)) return Fail(error);
    files_.Unlink(node_, name);
    return true;
  }

  bool RemoveSelf() override {
    std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    std::string leaf;
    std::shared_ptr<SimFileSystem::Node> parent = files_.ParentOf(node_.get(), &leaf);
    if (!parent) return Fail(kErrorFileNotFound);
    if (long error = SimFileSystem::WhyNotRemovable(*node_, parent)) return Fail(error);
    files_.Unlink(parent, leaf);
    return true;
  }

  bool ReadSecurity(FolderSecurity* security) override {
    std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    if (node_->security) {
      *security = *node_->security;
      return true;
    }
    const bool root = std::any_of(files_.drives_.begin(), files_.drives_.end(),
                                  [this](const auto& drive) { return drive.second == node_; });
    *security = root ? DriveRoot() : UsersOwnFolder();
    return true;
  }

  std::unique_ptr<WritableFile> OpenFileForWrite(const std::string& name, uint64_t listed) override {
    std::lock_guard<std::recursive_mutex> lock(files_.mutex_);
    std::shared_ptr<SimFileSystem::Node> child = Entry(name, listed);
    long error = kErrorSuccess;
    if (!child) return nullptr;
    if (!child->linkTarget.empty()) {
      error = kErrorStoppedOnSymlink;
    } else if (child->directory || child->unwritable || child->linkCount != 1 || (child->attributes & kAttrReadOnly)) {
      error = kErrorAccessDenied;
    } else if (child->heldOpen && !child->holderSharesWrite) {
      error = kErrorSharingViolation;
    }
    if (error != kErrorSuccess) {
      Fail(error);
      return nullptr;
    }
    ++files_.writeCount_;
    return std::make_unique<SimWritableFile>(child, files_.mutex_);
  }

 private:
  // The entry `name`, when it is the one listed (a file number of 0 takes any).
  std::shared_ptr<SimFileSystem::Node> Entry(const std::string& name, uint64_t listed) {
    auto it = node_->children.find(name);
    if (it == node_->children.end() || (listed != 0 && it->second->id != listed)) {
      Fail(kErrorFileNotFound);
      return nullptr;
    }
    return it->second;
  }

  SimFileSystem& files_;
  std::shared_ptr<SimFileSystem::Node> node_;
  std::string path_;
};

std::unique_ptr<FolderHandle> SimFileSystem::OpenFolder(const std::string& path, bool asItself) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> parent;
  std::shared_ptr<Node> node = Resolve(path, false, &parent);
  if (!node) {
    Fail(MissingError(parent));
    return nullptr;
  }
  if (!node->linkTarget.empty()) {
    if (asItself) {
      Fail(kErrorStoppedOnSymlink);
      return nullptr;
    }
    node = Resolve(path, true);
  }
  if (!node || !node->directory) {
    Fail(node ? kErrorDirectory : kErrorPathNotFound);
    return nullptr;
  }
  std::string trimmed = path;
  while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
  return std::make_unique<SimFolderHandle>(*this, node, trimmed);
}

bool SimFileSystem::RemoveFolder(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> parent;
  std::string leaf;
  std::shared_ptr<Node> node = Resolve(path, false, &parent, &leaf);
  if (!node) return Fail(MissingError(parent));
  if (!node->directory) return Fail(kErrorDirectory);
  if (!parent) return Fail(kErrorAccessDenied);
  // A link goes by itself; what it leads to is not touched.
  if (node->linkTarget.empty() && !node->children.empty()) return Fail(kErrorDirNotEmpty);
  if (node->attributes & kAttrReadOnly) return Fail(kErrorAccessDenied);
  if (node->heldOpen) return Fail(kErrorSharingViolation);
  Unlink(parent, leaf);
  return true;
}

bool SimFileSystem::Identify(const std::string& path, FileIdentity* identity) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string finalPath;
  std::shared_ptr<Node> node = Resolve(path, true, nullptr, nullptr, &finalPath);
  if (!node) return false;
  *identity = {finalPath, node->linkCount};
  return true;
}

bool SimFileSystem::LongPathName(const std::string& path, std::string* result) {
  gate.Pass("LongPathName");
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> parts = PathParts(path);
  if (parts.empty() || !drives_.count(parts[0])) return false;
  std::string longPath = RootName(parts[0]);
  for (size_t i = 1; i < parts.size(); ++i) {
    std::shared_ptr<Node> folder = Resolve(longPath, true);
    if (!folder || !folder->directory) return false;  // the system cannot say
    std::string name = parts[i];
    if (!folder->children.count(name)) {
      auto alias = std::find_if(folder->children.begin(), folder->children.end(), [&](const auto& child) {
        return !child.second->shortName.empty() && SameNames(child.second->shortName, name);
      });
      if (alias == folder->children.end()) return false;
      name = alias->first;
    }
    longPath += "\\" + name;
  }
  if (parts.size() == 1 || path.back() == '\\') longPath += "\\";
  *result = longPath;
  return true;
}

bool SimFileSystem::SameName(const std::string& a, const std::string& b) { return SameNames(a, b); }

std::unique_ptr<ReadableFile> SimFileSystem::OpenForRead(const std::string& path, long* error) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string finalPath;
  std::shared_ptr<Node> node = Resolve(path, true, nullptr, nullptr, &finalPath);
  *error = !node ? kErrorFileNotFound : (node->directory || node->unreadable) ? kErrorAccessDenied : kErrorSuccess;
  if (*error != kErrorSuccess) return nullptr;
  return std::make_unique<SimReadableFile>(node, finalPath, mutex_);
}

bool SimFileSystem::MakeFolder(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> parent;
  std::string leaf;
  std::shared_ptr<Node> node = Resolve(path, false, &parent, &leaf);
  if (node) return Fail(kErrorAlreadyExists);
  if (!parent || leaf.empty()) return Fail(kErrorPathNotFound);
  if (parent->unwritable) return Fail(kErrorAccessDenied);
  auto dir = std::make_shared<Node>();
  dir->directory = true;
  dir->attributes = kAttrDirectory;
  parent->children[leaf] = dir;
  return true;
}

long SimFileSystem::ReplaceFileBelow(const std::string& start, const std::string& path, const std::string& bytes) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  // The start where it leads, every folder below it (or below the drive) as
  // itself: a link among them refuses.
  std::vector<std::string> parts = PathParts(path);
  const std::vector<std::string> above = PathParts(start);
  if (parts.size() < 2 || above.size() >= parts.size()) return kErrorPathNotFound;
  for (size_t i = 0; i < above.size(); ++i) {
    if (!SameName(above[i], parts[i])) return kErrorPathNotFound;
  }
  auto drive = drives_.find(parts[0]);
  std::shared_ptr<Node> parent =
      above.empty() ? (drive == drives_.end() ? nullptr : drive->second) : Resolve(start, true);
  if (!parent || !parent->directory) return kErrorPathNotFound;
  for (size_t i = std::max<size_t>(above.size(), 1); i + 1 < parts.size(); ++i) {
    auto it = parent->children.find(parts[i]);
    if (it == parent->children.end() || !it->second->directory) return kErrorPathNotFound;
    if (!it->second->linkTarget.empty()) return kErrorStoppedOnSymlink;
    parent = it->second;
  }
  const std::string leaf = parts.back();
  auto existing = parent->children.find(leaf);
  // The new file takes the name's place: a link or another hard link of that
  // name is replaced, not written through (as MoveFileEx does).
  std::shared_ptr<Node> node = existing == parent->children.end() ? nullptr : existing->second;
  if (parent->unwritable) return kErrorAccessDenied;
  if (node && (node->directory || node->unwritable || (node->attributes & kAttrReadOnly) || node->heldOpen)) {
    return kErrorAccessDenied;
  }
  auto file = std::make_shared<Node>();
  file->content = bytes;
  Unlink(parent, leaf);
  parent->children[leaf] = file;
  ++writeCount_;
  return kErrorSuccess;
}

bool SimFileSystem::WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                                   const std::string& value) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string text;
  std::shared_ptr<Node> node = Resolve(file, true);
  if (node) {
    if (node->directory || node->unwritable || (node->attributes & kAttrReadOnly) || node->unreadable) {
      return Fail(kErrorAccessDenied);
    }
    text = node->content;
  }
  // Split into lines, keeping each line's own ending untouched.
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  auto trim = [](std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
    size_t b = s.find_first_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b);
  };
  std::string entry = key + "=" + value + "\r\n";
  int sectionLine = -1;
  int lastInSection = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string t = trim(lines[i]);
    if (!t.empty() && t.front() == '[') {
      if (sectionLine >= 0) break;
      size_t close = t.find(']');
      if (close != std::string::npos && util::EqualNoCase(trim(t.substr(1, close - 1)), section)) {
        sectionLine = static_cast<int>(i);
        lastInSection = sectionLine;
      }
      continue;
    }
    if (sectionLine < 0) continue;
    if (!t.empty()) lastInSection = static_cast<int>(i);
    size_t eq = t.find('=');
    if (eq != std::string::npos && util::EqualNoCase(trim(t.substr(0, eq)), key)) {
      // The key keeps the spelling it has in the file.
      lines[i] = trim(t.substr(0, eq)) + "=" + value + "\r\n";
      sectionLine = -2;  // done
      break;
    }
  }
  if (sectionLine >= 0) {
    std::string& prev = lines[lastInSection];
    if (prev.empty() || prev.back() != '\n') prev += "\r\n";
    lines.insert(lines.begin() + lastInSection + 1, entry);
  } else if (sectionLine == -1) {
    if (!lines.empty() && lines.back().back() != '\n') lines.back() += "\r\n";
    lines.push_back("[" + section + "]\r\n");
    lines.push_back(entry);
  }
  std::string out;
  for (const std::string& l : lines) out += l;
  long error = ReplaceFileBelow({}, file, out);
  return error == kErrorSuccess || Fail(error);
}

long SimFileSystem::LastError() { return lastError; }

std::shared_ptr<SimFileSystem::Node> SimFileSystem::MakeParents(const std::string& path, std::string* leaf) {
  std::vector<std::string> parts = PathParts(path);
  auto& drive = drives_[parts[0]];
  if (!drive) {
    drive = std::make_shared<Node>();
    drive->directory = true;
    drive->attributes = kAttrDirectory;
  }
  std::shared_ptr<Node> node = drive;
  for (size_t i = 1; i + 1 < parts.size(); ++i) {
    auto& child = node->children[parts[i]];
    if (!child) {
      child = std::make_shared<Node>();
      child->directory = true;
      child->attributes = kAttrDirectory;
    }
    node = child;
  }
  *leaf = parts.size() > 1 ? parts.back() : std::string();
  return node;
}

void SimFileSystem::AddDirectory(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string leaf;
  std::shared_ptr<Node> parent = MakeParents(path, &leaf);
  if (leaf.empty() || parent->children.count(leaf)) return;
  auto dir = std::make_shared<Node>();
  dir->directory = true;
  dir->attributes = kAttrDirectory;
  parent->children[leaf] = dir;
}

void SimFileSystem::AddFile(const std::string& path, const std::string& content, uint32_t attributes) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string leaf;
  std::shared_ptr<Node> parent = MakeParents(path, &leaf);
  auto file = std::make_shared<Node>();
  file->content = content;
  file->attributes = attributes & ~kAttrDirectory;
  parent->children[leaf] = file;
}

void SimFileSystem::AddFolderLink(const std::string& path, const std::string& target, uint32_t tag) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string leaf;
  std::shared_ptr<Node> parent = MakeParents(path, &leaf);
  auto link = std::make_shared<Node>();
  link->directory = true;
  link->attributes = kAttrDirectory | kAttrReparsePoint;
  link->linkTarget = target;
  link->reparseTag = tag;
  parent->children[leaf] = link;
}

void SimFileSystem::AddFileLink(const std::string& path, const std::string& target) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string leaf;
  std::shared_ptr<Node> parent = MakeParents(path, &leaf);
  auto link = std::make_shared<Node>();
  link->attributes = kAttrArchive | kAttrReparsePoint;
  link->linkTarget = target;
  link->reparseTag = kReparseTagSymlink;
  parent->children[leaf] = link;
}

void SimFileSystem::MakeReparsePoint(const std::string& path, uint32_t tag) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (std::shared_ptr<Node> node = Resolve(path, false)) {
    node->attributes |= kAttrReparsePoint;
    node->reparseTag = tag;
  }
}

void SimFileSystem::Move(const std::string& from, const std::string& to) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> parent;
  std::string leaf;
  std::shared_ptr<Node> node = Resolve(from, false, &parent, &leaf);
  if (!node || !parent) return;
  parent->children.erase(leaf);
  std::string newLeaf;
  MakeParents(to, &newLeaf)->children[newLeaf] = node;
}

void SimFileSystem::AddHardLink(const std::string& existing, const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> file = Resolve(existing, true);
  if (!file || file->directory) return;
  std::string leaf;
  std::shared_ptr<Node> parent = MakeParents(path, &leaf);
  ++file->linkCount;
  parent->children[leaf] = file;
}

void SimFileSystem::SetShortName(const std::string& path, const std::string& alias) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (std::shared_ptr<Node> node = Resolve(path, false)) node->shortName = alias;
}

SimFileSystem::Node* SimFileSystem::Lookup(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return Resolve(path, false).get();
}

std::string SimFileSystem::Content(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Node> node = Resolve(path, true);
  return node ? node->content : std::string();
}

std::vector<std::string> SimFileSystem::List(const std::string& folder) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> names;
  if (std::shared_ptr<Node> node = Resolve(folder, true)) {
    for (const auto& [name, child] : node->children) names.push_back(name);
  }
  return names;
}

void SimFileSystem::HoldOpen(const std::string& path, bool sharesWrite) {
  if (Node* n = Lookup(path)) {
    n->heldOpen = true;
    n->holderSharesWrite = sharesWrite;
  }
}

void SimFileSystem::Release(const std::string& path) {
  if (Node* n = Lookup(path)) n->heldOpen = false;
}

void SimFileSystem::MakeUnreadable(const std::string& path, bool on) {
  if (Node* n = Lookup(path)) n->unreadable = on;
}

void SimFileSystem::MakeUnwritable(const std::string& path, bool on) {
  if (Node* n = Lookup(path)) n->unwritable = on;
}

void SimFileSystem::SetSecurity(const std::string& path, FolderSecurity security) {
  if (Node* n = Lookup(path)) n->security = std::make_shared<const FolderSecurity>(std::move(security));
}

}  // namespace platform::sim
