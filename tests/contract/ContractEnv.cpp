// The one environment of a contract run.
#include "ContractEnv.h"

namespace contract {

ContractEnv& Env() {
  static std::unique_ptr<ContractEnv> env = ContractEnv::Create();
  return *env;
}

}  // namespace contract
