// An in-memory file system with the Windows rules the program meets: names
// compared as NTFS compares them and otherwise taken exactly as given, "."
// and ".." in paths resolved as Win32 resolves them (SimNames.h),
// attributes, read-only files that refuse deletion, files held open by
// another program, links (junctions and symbolic links, which another user
// may have planted) that are listed as reparse points but lead elsewhere,
// reparse points that are no links, hard links, short (8.3) names, and files
// that cannot be read or written.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/sim/SimGate.h"
#include "platform/sim/SimNames.h"

namespace platform::sim {

// The simulated machine's user, as SimSecurity's token names it.
constexpr char kSimUserSid[] = "S-1-5-21-1004336348-1177238915-682003330-1001";

class SimFileSystem : public FileSystem {
 public:
  struct Node {
    bool directory = false;
    uint32_t attributes = kAttrArchive;
    std::string content;
    std::string linkTarget;   // a link: its target path
    uint32_t reparseTag = 0;  // with kAttrReparsePoint
    uint32_t linkCount = 1;   // the names it has (hard links)
    std::string shortName;    // its 8.3 alias, if any
    bool heldOpen = false;    // another program holds it open (a folder: as its current directory)
    bool holderSharesWrite = true;
    bool unreadable = false;
    bool unwritable = false;
    // Its owner and access list; null for what Windows gives a folder the
    // user made in their own tree (a drive's root: what it gives C:\).
    std::shared_ptr<const FolderSecurity> security;
    std::map<std::string, std::shared_ptr<Node>, NameLess> children;
    uint64_t id = NextId();  // its number on the volume
    static uint64_t NextId();
  };

  SimFileSystem();

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

  // For tests. Parent folders are created as needed.
  void AddDirectory(const std::string& path);
  void AddFile(const std::string& path, const std::string& content = {}, uint32_t attributes = kAttrArchive);
  // A link to a folder at `path` leading to `target`: a junction, or with
  // kReparseTagSymlink a symbolic link. Listed as a directory and reparse point.
  void AddFolderLink(const std::string& path, const std::string& target, uint32_t tag = kReparseTagMountPoint);
  // A symbolic link to a file, listed as a file and reparse point.
  void AddFileLink(const std::string& path, const std::string& target);
  // Makes an existing entry a reparse point of a kind that is no link (a
  // cloud placeholder, a deduplicated file): it stays what it was otherwise.
  void MakeReparsePoint(const std::string& path, uint32_t tag);
  // Moves an entry to another name (MoveFile), as another user may while a
  // run works in the folder.
  void Move(const std::string& from, const std::string& to);
  // A second name for the file `existing`.
  void AddHardLink(const std::string& existing, const std::string& path);
  // Gives the last part of `path` the short name `alias` (such as "PROGRA~1").
  void SetShortName(const std::string& path, const std::string& alias);
  // The node at a path, not following a link at its end; null when missing.
  Node* Lookup(const std::string& path);
  std::string Content(const std::string& path);
  // Names in a folder, sorted without regard to case.
  std::vector<std::string> List(const std::string& folder);
  void HoldOpen(const std::string& path, bool sharesWrite = true);
  // Makes a folder the current directory of another program, which holds
  // it open without sharing deletion: it can be emptied, not removed.
  void MakeCurrentDirectoryOfAnotherProgram(const std::string& folder) { HoldOpen(folder); }
  void Release(const std::string& path);
  void MakeUnreadable(const std::string& path, bool on = true);
  void MakeUnwritable(const std::string& path, bool on = true);
  // Gives the entry at `path` an owner and access list of its own: another
  // account's folder, one that everyone may change.
  void SetSecurity(const std::string& path, FolderSecurity security);
  int writeCount() const { return writeCount_; }
  // Holds a worker in "RemoveFile" (by path or through a folder handle) or "LongPathName".
  SimGate gate;

 private:
  friend class SimFolderHandle;
  std::shared_ptr<Node> Resolve(const std::string& path, bool followLast, std::shared_ptr<Node>* parent = nullptr,
                                std::string* leaf = nullptr, std::string* finalPath = nullptr, int hops = 0);
  void Unlink(const std::shared_ptr<Node>& parent, const std::string& leaf);
  // Whether `node`, an entry of the folder `parent` named `leaf`, may be
  // deleted: kErrorSuccess or why not.
  static long WhyNotRemovable(const Node& node, const std::shared_ptr<Node>& parent);
  // The path of the folder `node` now, searched from the drives; false when none holds it.
  bool PathOf(const Node* node, std::string* path);
  // The folder that holds `node` now, searched from the drives; null when none does.
  std::shared_ptr<Node> ParentOf(const Node* node, std::string* leaf);
  std::shared_ptr<Node> MakeParents(const std::string& path, std::string* leaf);

  std::recursive_mutex mutex_;
  std::map<std::string, std::shared_ptr<Node>, NameLess> drives_;
  int writeCount_ = 0;
};

}  // namespace platform::sim
