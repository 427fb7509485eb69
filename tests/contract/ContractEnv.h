// What the contract suite runs against: the simulation on the host, the real
// Win32 layer under Wine. The same tests pin both to Windows' behaviour.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace contract {

class ContractEnv {
 public:
  virtual ~ContractEnv() = default;
  virtual platform::Platform& platform() = 0;
  // A new, empty folder for one test, inside a scratch tree the env removes.
  virtual std::string NewScratchFolder() = 0;
  // Holds a file open as another program would, sharing reading and writing
  // but not deletion, until the returned token is destroyed.
  virtual std::shared_ptr<void> HoldOpen(const std::string& path) = 0;
  // Holds a folder as the current directory of another program holds it
  // (open for traversal, sharing reading and writing but not deletion),
  // until the returned token is destroyed.
  virtual std::shared_ptr<void> HoldAsCurrentDirectory(const std::string& folder) = 0;
  // A symbolic link at `path` to the existing folder or file `target`, as
  // another user could plant one; false when this system cannot make one
  // here (Windows without the right to, for one).
  virtual bool MakeLink(const std::string& path, const std::string& target, bool folder) = 0;
  // Moves a file or folder to another name, as another user may while a run
  // works in its folder.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // A second name `path` for the file `existing` (a hard link).
  virtual bool MakeHardLink(const std::string& existing, const std::string& path) = 0;
  // Lets everyone change the folder (make, rename and delete its entries),
  // as a folder made at the root of a drive is.
  virtual bool LetEveryoneChange(const std::string& folder) = 0;
  // The short (8.3) form of an existing path; empty when it has none.
  virtual std::string ShortName(const std::string& path) = 0;
  // Moves an existing file of `bytes` bytes to the recycle bin, as Explorer's
  // "Delete" does; false when the system would not.
  virtual bool Recycle(const std::string& path, uint64_t bytes) = 0;
  // True for the simulation.
  virtual bool simulated() const = 0;
  // True where the tests run under Wine: a test states Windows' answer, and
  // Wine's known other answer beside it (WindowsOrWine).
  virtual bool underWine() const = 0;
  // Puts an entry in the URL cache as a browser would (CommitUrlCacheEntryA
  // with a local file), with `headerBytes` of header text in its record.
  // A page gets a local file in the cache's folder, as the system gives it.
  virtual bool CommitCacheEntry(const std::string& sourceName, uint32_t type, uint32_t headerBytes) = 0;
  // Starts a program of this session that this user may not open, as a
  // standard user meets one running elevated: its process grants nobody any
  // right. Gives its id and program file, and whether the system refused to
  // open it for a limited query. Ends with the token; null when it cannot start.
  virtual std::shared_ptr<void> StartGuardedProgram(uint32_t* processId, std::string* programFile,
                                                    bool* queryRefused) = 0;
  // The source names the system's own walk of the URL cache with no
  // pattern gives (FindFirstUrlCacheEntry with NULL), every one.
  virtual std::vector<std::string> CacheWalkWithoutPattern() = 0;
  // A top-level window of this process, standing for another program's, of
  // a class and show state; 0 when no window can be made (Wine without a
  // display). Destroyed with the env.
  virtual platform::WindowId MakeTopLevelWindow(const std::string& className, bool visible) = 0;

  static std::unique_ptr<ContractEnv> Create();
};

// The environment shared by every test of the run.
ContractEnv& Env();

// What Windows answers, or where the tests run under Wine what Wine is
// known to answer instead: the difference stated in place, as Wine's own
// conformance tests mark one, not a check that accepts either.
template <typename T>
T WindowsOrWine(T windows, T wine) {
  return Env().underWine() ? wine : windows;
}

}  // namespace contract
