// The instance mutex and library loading.
#include <gtest/gtest.h>

#include "ContractEnv.h"

namespace contract {
namespace {

TEST(ProcessContract, ANamedMutexReportsASecondCreationUntilEveryHandleCloses) {
  platform::Process& process = Env().platform().process;
  const std::string name = "CorvaneContractTestMutex";
  platform::MutexResult first = process.CreateInitiallyOwnedMutex(name);
  ASSERT_NE(first.handle, nullptr);
  EXPECT_FALSE(first.alreadyExisted);

  platform::MutexResult second = process.CreateInitiallyOwnedMutex(name);
  EXPECT_TRUE(second.alreadyExisted);
  EXPECT_NE(second.handle, nullptr) << "CreateMutex still returns a handle to the existing mutex";

  second.handle.reset();
  first.handle.reset();
  platform::MutexResult again = process.CreateInitiallyOwnedMutex(name);
  EXPECT_FALSE(again.alreadyExisted);
}

TEST(ProcessContract, AMissingLibraryLoadsAsNothing) {
  platform::Process& process = Env().platform().process;
  EXPECT_EQ(process.LoadModule("corvane-no-such-module.dll"), 0u);
  long result = 0;
  EXPECT_FALSE(process.CallExport(0, "DllRegisterServer", &result));
}

TEST(ProcessContract, TheExecutablePathIsAFullWindowsPath) {
  std::string path = Env().platform().process.ExecutablePath();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path.substr(1, 2), ":\\") << path;
  EXPECT_NE(path.find_last_of('\\'), std::string::npos);
}

}  // namespace
}  // namespace contract
