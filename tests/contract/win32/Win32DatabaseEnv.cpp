// The database contract under Windows: SQLite on real files in the contract's
// scratch tree.
#include "ContractEnv.h"
#include "DatabaseEnv.h"

namespace contract {
namespace {

std::string NewScratchFolder() { return Env().NewScratchFolder(); }

}  // namespace

std::vector<std::string> DatabaseEnvNames() { return {"sqlite"}; }

std::unique_ptr<DatabaseEnv> MakeDatabaseEnv(const std::string&) {
  return MakeSqliteDatabaseEnv(&NewScratchFolder, '\\');
}

}  // namespace contract
