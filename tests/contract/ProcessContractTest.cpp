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

TEST(ProcessContract, AModuleLoadsOnlyByItsFullPath) {
  platform::Process& process = Env().platform().process;
  std::string exe = process.ExecutablePath();
  std::string beside = exe.substr(0, exe.find_last_of('\\') + 1) + "cvblock.dll";
  platform::ModuleId module = process.LoadModule(beside);
  ASSERT_NE(module, 0u) << beside;
  platform::HResult result = 0x5a5a;
  EXPECT_FALSE(process.CallExport(module, "NoSuchExport", &result));
  EXPECT_EQ(result, 0x5a5a) << "nothing was called";

  // The same module by name only: the search would find it beside the program.
  EXPECT_EQ(process.LoadModule("cvblock.dll"), 0u);
  EXPECT_EQ(process.LoadModule(".\\cvblock.dll"), 0u);
  EXPECT_EQ(process.LoadModule(beside.substr(0, beside.size() - 4) + "-missing.dll"), 0u);
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
