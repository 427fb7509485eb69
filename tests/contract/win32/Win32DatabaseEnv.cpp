// The database contract under Windows: SQLite on real files in the contract's
// scratch tree.
#include "ContractEnv.h"
#include "DatabaseEnv.h"
#include "platform/win32/Win32FileSystem.h"

namespace contract {
namespace {

std::string NewScratchFolder() { return Env().NewScratchFolder(); }

// The number the program's own listing of the folder gives the file.
uint64_t ListedId(const std::string& path) {
  const size_t cut = path.find_last_of('\\');
  std::unique_ptr<platform::FolderHandle> folder = Env().platform().files.OpenFolder(path.substr(0, cut), true);
  std::vector<platform::FindData> entries;
  if (!folder || !folder->List(&entries)) return 0;
  for (const platform::FindData& entry : entries) {
    if (Env().platform().files.SameName(entry.name, path.substr(cut + 1))) return entry.fileId;
  }
  return 0;
}

}  // namespace

std::vector<std::string> DatabaseEnvNames() { return {"sqlite"}; }

std::unique_ptr<DatabaseEnv> MakeDatabaseEnv(const std::string&) {
  return MakeSqliteDatabaseEnv(&NewScratchFolder, '\\', platform::win32::IdentifyOpenedDatabase, &ListedId);
}

}  // namespace contract
