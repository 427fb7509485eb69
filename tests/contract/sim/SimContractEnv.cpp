// The contract suite's environment on the simulation.
#include <cctype>
#include <string>

#include "ContractEnv.h"
#include "platform/sim/SimPlatform.h"

namespace contract {
namespace {

class SimContractEnv : public ContractEnv {
 public:
  SimContractEnv() {
    // The build puts the blocker module beside every program it makes.
    sim_.process.libraries["C:\\Program Files\\Corvane\\cvblock.dll"]["DllRegisterServer"] = [] { return 0; };
  }
  platform::Platform& platform() override { return sim_.platform; }
  std::string NewScratchFolder() override {
    std::string folder = "C:\\scratch\\t" + std::to_string(++count_);
    sim_.files.AddDirectory(folder);
    return folder;
  }
  std::shared_ptr<void> HoldOpen(const std::string& path) override {
    sim_.files.HoldOpen(path);
    const std::string& exe = sim_.process.executablePath;
    sim_.process.filesInUse[path] = exe.substr(exe.find_last_of('\\') + 1);
    return std::shared_ptr<void>(new int(0), [this, path](void* token) {
      delete static_cast<int*>(token);
      sim_.files.Release(path);
      sim_.process.filesInUse.erase(path);
    });
  }
  std::shared_ptr<void> StartGuardedProgram(uint32_t* processId, std::string* programFile,
                                            bool* queryRefused) override {
    sim_.process.backgroundPrograms.push_back("PING.EXE");
    sim_.process.elevated.insert("PING.EXE");
    for (const platform::RunningProcess& p : sim_.process.RunningProcesses()) {
      if (p.programFile == "PING.EXE") *processId = p.id;
    }
    *programFile = "PING.EXE";
    *queryRefused = true;
    return std::shared_ptr<void>(new int(0), [this](void* token) {
      delete static_cast<int*>(token);
      sim_.process.EndProgram("PING.EXE");
      sim_.process.elevated.erase("PING.EXE");
    });
  }
  std::shared_ptr<void> HoldAsCurrentDirectory(const std::string& folder) override {
    sim_.files.MakeCurrentDirectoryOfAnotherProgram(folder);
    return std::shared_ptr<void>(new int(0), [this, folder](void* token) {
      delete static_cast<int*>(token);
      sim_.files.Release(folder);
    });
  }
  bool MakeLink(const std::string& path, const std::string& target, bool folder) override {
    if (folder) {
      sim_.files.AddFolderLink(path, target, platform::kReparseTagSymlink);
    } else {
      sim_.files.AddFileLink(path, target);
    }
    return true;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    sim_.files.Move(from, to);
    return sim_.files.Exists(to) && !sim_.files.Exists(from);
  }
  bool MakeHardLink(const std::string& existing, const std::string& path) override {
    sim_.files.AddHardLink(existing, path);
    return sim_.files.IsFile(path);
  }
  bool LetEveryoneChange(const std::string& folder) override {
    platform::FolderSecurity security;
    std::unique_ptr<platform::FolderHandle> handle = sim_.files.OpenFolder(folder, true);
    if (!handle || !handle->ReadSecurity(&security)) return false;
    security.allowed.push_back({"S-1-1-0", 0x1301BF});  // Modify
    sim_.files.SetSecurity(folder, security);
    return true;
  }
  std::string ShortName(const std::string& path) override {
    std::string name = path.substr(path.rfind('\\') + 1);
    if (name.size() <= 8) return {};
    std::string alias = util::ToLowerAscii(name.substr(0, 6)) + "~1";
    for (char& c : alias) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    sim_.files.SetShortName(path, alias);
    return path.substr(0, path.rfind('\\') + 1) + alias;
  }
  bool Recycle(const std::string& path, uint64_t bytes) override {
    if (!sim_.files.RemoveFile(path)) return false;
    sim_.shell.recycled.push_back(path);
    sim_.shell.recycledBytes += bytes;
    return true;
  }
  bool simulated() const override { return true; }
  bool underWine() const override { return false; }
  bool CommitCacheEntry(const std::string& sourceName, uint32_t type, uint32_t headerBytes) override {
    // Windows 10 keeps a page's file in one of the IE folder's subfolders.
    std::string file;
    if (!(type & platform::kCookieCacheEntry) && sourceName.rfind("Visited:", 0) != 0) {
      sim_.shell.SpecialFolder(platform::kCsidlInternetCache, &file);
      file += "\\IE\\K2P9X4QZ\\" + sourceName.substr(sourceName.find_last_of('/') + 1);
      sim_.files.AddFile(file, "id=1\n");
    }
    sim_.urlCache.Add(sourceName, type, headerBytes, file);
    return true;
  }
  std::vector<std::string> CacheWalkWithoutPattern() override {
    return sim_.urlCache.Match(platform::CacheContainer::Content);
  }
  platform::WindowId MakeTopLevelWindow(const std::string& className, bool visible) override {
    // This process's, as the Win32 env's are.
    const std::string& exe = sim_.process.executablePath;
    return sim_.desktop.AddWindow(className, "", visible, exe.substr(exe.find_last_of('\\') + 1));
  }

 private:
  platform::sim::SimPlatform sim_;
  int count_ = 0;
};

}  // namespace

std::unique_ptr<ContractEnv> ContractEnv::Create() { return std::make_unique<SimContractEnv>(); }

}  // namespace contract
