// An in-memory file system with the Windows rules the program meets: names
// without regard to case, attributes, read-only files that refuse deletion,
// files held open by another program, folder links (reparse points) that are
// listed but lead elsewhere, and files that cannot be read or written.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/sim/SimGate.h"
#include "util/Text.h"

namespace platform::sim {

class SimFileSystem : public FileSystem {
 public:
  struct Node {
    bool directory = false;
    uint32_t attributes = kAttrArchive;
    std::string content;
    std::string linkTarget;     // a folder link: its target path
    bool heldOpen = false;      // another program holds it open
    bool holderSharesWrite = true;
    bool unreadable = false;
    bool unwritable = false;
    std::map<std::string, std::shared_ptr<Node>, util::LessNoCase> children;
  };

  SimFileSystem();

  std::unique_ptr<FileFind> FindFirst(const std::string& pattern, FindData* first) override;
  uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool MakeFolder(const std::string& path) override;
  bool RemoveLink(const std::string& path) override;
  std::unique_ptr<WritableFile> OpenExistingForWrite(const std::string& path) override;
  long ReadWholeFile(const std::string& path, std::string* bytes) override;
  long ReplaceWholeFile(const std::string& path, const std::string& bytes) override;
  bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value) override;

  // For tests. Parent folders are created as needed.
  void AddDirectory(const std::string& path);
  void AddFile(const std::string& path, const std::string& content = {}, uint32_t attributes = kAttrArchive);
  // A folder link at `path` that leads to the folder `target`.
  void AddFolderLink(const std::string& path, const std::string& target);
  // The node at a path, not following a link at its end; null when missing.
  Node* Lookup(const std::string& path);
  std::string Content(const std::string& path);
  // Names in a folder, sorted without regard to case.
  std::vector<std::string> List(const std::string& folder);
  void HoldOpen(const std::string& path, bool sharesWrite = true);
  void Release(const std::string& path);
  void MakeUnreadable(const std::string& path, bool on = true);
  void MakeUnwritable(const std::string& path, bool on = true);
  int writeCount() const { return writeCount_; }
  // Holds a worker in "RemoveFile".
  SimGate gate;

 private:
  std::shared_ptr<Node> Resolve(const std::string& path, bool followLast, std::shared_ptr<Node>* parent = nullptr,
                                std::string* leaf = nullptr);
  std::shared_ptr<Node> MakeParents(const std::string& path, std::string* leaf);

  std::recursive_mutex mutex_;
  std::map<std::string, std::shared_ptr<Node>, util::LessNoCase> drives_;
  int writeCount_ = 0;
};

// Matches a name against a FindFirstFile mask made of '*' and '?', without
// regard to case; "*.*" matches every name.
bool MatchMask(const std::string& mask, const std::string& name);

}  // namespace platform::sim
