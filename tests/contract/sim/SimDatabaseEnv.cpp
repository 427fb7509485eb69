// The database contract on the host: the simulation's databases, and SQLite
// on real files in a scratch folder of the host's.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "DatabaseEnv.h"
#include "platform/sim/SimDatabases.h"

namespace contract {
namespace {

class SimDatabaseEnv : public DatabaseEnv {
 public:
  platform::Databases& databases() override { return databases_; }
  std::string NewPath(const std::string& name) override {
    std::string folder = "C:\\scratch\\d" + std::to_string(++count_);
    files_.AddDirectory(folder);
    return folder + "\\" + name;
  }
  void MakeTable(const std::string& path, const std::string& table, const std::vector<std::string>& columns,
                 const std::vector<Row>& rows) override {
    databases_.AddTable(path, table, columns, rows);
  }
  void MakeFile(const std::string& path, const std::string& bytes) override { files_.AddFile(path, bytes); }
  bool Exists(const std::string& path) override { return files_.Exists(path); }
  std::shared_ptr<void> Lock(const std::string& path) override {
    std::shared_ptr<platform::sim::SimDatabases::Db> db = databases_.Lookup(path);
    db->locked = true;
    return std::shared_ptr<void>(new int(0), [db](void* token) {
      delete static_cast<int*>(token);
      db->locked = false;
    });
  }
  void Damage(const std::string& path) override { databases_.Lookup(path)->damaged = true; }
  std::optional<bool> FilesContain(const std::string&, const std::string&) override { return std::nullopt; }
  bool Exec(const std::string&, const std::string&) override { return false; }
  std::unique_ptr<platform::Databases> Bounded(uint64_t) override { return nullptr; }
  uint64_t ListedId(const std::string& path) override { return files_.Lookup(path)->id; }
  void HardLink(const std::string& path, const std::string& second) override { files_.AddHardLink(path, second); }
  void MoveOver(const std::string& from, const std::string& to) override { files_.Move(from, to); }

 private:
  platform::sim::SimFileSystem files_;
  platform::sim::SimDatabases databases_{files_};
  int count_ = 0;
};

// The host's scratch folders, under one removed when the tests end.
struct HostScratch {
  HostScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-db-XXXXXX").string();
    if (mkdtemp(pattern.data())) root = pattern;
  }
  ~HostScratch() {
    std::error_code ignored;
    if (!root.empty()) std::filesystem::remove_all(root, ignored);
  }
  std::string root;
  int count = 0;
};

// What POSIX lists a file as: its inode number.
uint64_t InodeOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? static_cast<uint64_t>(status.st_ino) : 0;
}

std::string NewHostFolder() {
  static HostScratch scratch;
  std::string folder = scratch.root + "/d" + std::to_string(++scratch.count);
  std::filesystem::create_directory(folder);
  return folder;
}

}  // namespace

std::vector<std::string> DatabaseEnvNames() { return {"sim", "sqlite"}; }

std::unique_ptr<DatabaseEnv> MakeDatabaseEnv(const std::string& name) {
  if (name == "sim") return std::make_unique<SimDatabaseEnv>();
  return MakeSqliteDatabaseEnv(&NewHostFolder, '/', platform::sqlite::IdentifyByPath, &InodeOf);
}

}  // namespace contract
