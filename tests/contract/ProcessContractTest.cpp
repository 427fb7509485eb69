// The instance mutex and library loading.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "ContractEnv.h"
#include "util/Text.h"

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

// The right to clean between processes: taken without waiting, owned by a
// thread, handed on as abandoned when its owner ends without letting go; the
// same for the user's own mutex in the Global\ namespace, with its access
// list for the user alone.
TEST(ProcessContract, AMutexTakenWithoutWaitingBelongsToOneThreadAtATime) {
  platform::Process& process = Env().platform().process;
  const std::string name = "CorvaneContractTestRunMutex";
  auto onAnotherThread = [&process](const std::function<void()>& work) { process.StartThread(work).join(); };
  for (bool user : {false, true}) {
    SCOPED_TRACE(user ? "the user's own mutex" : "a mutex of the session");
    auto take = [&](const std::string& n) { return user ? process.TryTakeUserMutex(n) : process.TryTakeMutex(n); };

    platform::TakenMutex mine = take(name);
    ASSERT_EQ(mine.result, platform::MutexTake::Taken);
    ASSERT_NE(mine.handle, nullptr);
    platform::MutexTake other = platform::MutexTake::Failed;
    bool otherHandle = true;
    onAnotherThread([&] {
      platform::TakenMutex taken = take(name);
      other = taken.result;
      otherHandle = taken.handle != nullptr;
    });
    EXPECT_EQ(other, platform::MutexTake::Busy) << "WAIT_TIMEOUT, at once";
    EXPECT_FALSE(otherHandle);
    {
      platform::TakenMutex again = take(name);
      EXPECT_EQ(again.result, platform::MutexTake::Taken) << "a Windows mutex counts its owner's recursive takes";
    }
    mine.handle.reset();
    onAnotherThread([&] { other = take(name).result; });
    EXPECT_EQ(other, platform::MutexTake::Taken) << "free once its owner released it";

    // An owner that ends holding it, as a crashed process would.
    platform::TakenMutex left;
    onAnotherThread([&] { left = take(name); });
    ASSERT_EQ(left.result, platform::MutexTake::Taken);
    platform::TakenMutex next = take(name);
    EXPECT_EQ(next.result, platform::MutexTake::TakenAbandoned) << "WAIT_ABANDONED";
    next.handle.reset();
    EXPECT_EQ(take(name).result, platform::MutexTake::Taken) << "abandoned once only";
    left.handle.reset();  // on a thread that does not own it: only closed
  }
  // The user's mutex is an object of its own: the session's of the same name is free.
  platform::TakenMutex userOwn = process.TryTakeUserMutex(name);
  ASSERT_EQ(userOwn.result, platform::MutexTake::Taken);
  // Windows (Vista and later) keeps it in the private namespace bound to the
  // user's SID, which no other account can make. Wine 8 has no private
  // namespaces (CreateBoundaryDescriptorW answers null and sets no error,
  // CreatePrivateNamespaceW is a stub that must not be called): there it is
  // the Global\ name with the user's SID.
  EXPECT_EQ(userOwn.inPrivateNamespace, WindowsOrWine(true, false));
  platform::MutexTake plain = platform::MutexTake::Failed;
  onAnotherThread([&] { plain = process.TryTakeMutex(name).result; });
  EXPECT_EQ(plain, platform::MutexTake::Taken);
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

// A browser is found running by its program file's name among this
// session's programs: this one is there under its own.
TEST(ProcessContract, TheRunningProgramsIncludeThisOneByItsFileName) {
  platform::Process& process = Env().platform().process;
  std::string path = process.ExecutablePath();
  std::string own = path.substr(path.find_last_of('\\') + 1);
  std::vector<std::string> names = process.RunningProgramNames();
  bool found = false;
  for (const std::string& name : names) {
    EXPECT_EQ(name.find('\\'), std::string::npos) << "a file name, not a path: " << name;
    if (util::EqualNoCase(name, own)) found = true;
  }
  EXPECT_TRUE(found) << own << " among " << names.size() << " programs";
}

// A standard user may not open a process run as an administrator, nor one
// whose access list grants nothing: ProcessIdToSessionId fails on it
// (ERROR_ACCESS_DENIED, under Wine 8 too). The session's list names it all
// the same, since nothing is opened to list it.
TEST(ProcessContract, AProcessThisUserMayNotOpenIsListedAndNotWaitedFor) {
  platform::Process& process = Env().platform().process;
  uint32_t id = 0;
  std::string file;
  bool refused = false;
  std::shared_ptr<void> guarded = Env().StartGuardedProgram(&id, &file, &refused);
  ASSERT_NE(guarded, nullptr);
  EXPECT_TRUE(refused) << "OpenProcess for a limited query";
  const std::vector<platform::RunningProcess> processes = process.RunningProcesses();
  auto found =
      std::find_if(processes.begin(), processes.end(), [id](const platform::RunningProcess& p) { return p.id == id; });
  ASSERT_NE(found, processes.end()) << "process " << id << " among " << processes.size();
  EXPECT_TRUE(util::EqualNoCase(found->programFile, file)) << found->programFile;
  EXPECT_FALSE(found->windowShown) << "started with no window";

  std::atomic<bool> ended{false};
  std::unique_ptr<platform::ProgramEndWatch> watch = process.WatchProgramEnd(file, [&ended] { ended = true; });
  // Windows grants not even SYNCHRONIZE, so nothing waits on it; Wine 8
  // grants SYNCHRONIZE whatever the access list says, and the wait ends
  // with the process.
  EXPECT_EQ(watch != nullptr, WindowsOrWine(false, true));
  if (watch) {
    guarded.reset();
    for (int i = 0; i < 100 && !ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(ended);
  }
}

// The Restart Manager names the processes that hold a file open (this one
// here); a session on a file nobody holds has nobody to close.
TEST(RestartManagerContract, ASessionListsTheProcessesThatHoldARegisteredFile) {
  platform::Process& process = Env().platform().process;
  const std::string folder = Env().NewScratchFolder();
  platform::FileSystem& files = Env().platform().files;
  ASSERT_EQ(files.ReplaceWholeFile(folder + "\\held.txt", "held"), platform::kErrorSuccess);
  ASSERT_EQ(files.ReplaceWholeFile(folder + "\\free.txt", "free"), platform::kErrorSuccess);
  std::shared_ptr<void> hold = Env().HoldOpen(folder + "\\held.txt");
  ASSERT_NE(hold, nullptr);
  const std::string path = process.ExecutablePath();
  const std::string own = path.substr(path.find_last_of('\\') + 1);
  uint32_t ownId = 0;
  for (const platform::RunningProcess& p : process.RunningProcesses()) {
    if (util::EqualNoCase(p.programFile, own)) ownId = p.id;
  }

  long error = -1;
  std::unique_ptr<platform::RestartSession> session = process.StartRestartSession(&error);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(error, platform::kErrorSuccess);
  EXPECT_EQ(session->RegisterFiles({folder + "\\held.txt"}), platform::kErrorSuccess);
  std::vector<uint32_t> users{0xDEADBEEF};
  EXPECT_EQ(session->ListUsers(&users), platform::kErrorSuccess);
  // Windows lists this process; Wine 8's RmGetList answers success and
  // lists nobody, whoever holds the file.
  EXPECT_EQ(users, WindowsOrWine(std::vector<uint32_t>{ownId}, std::vector<uint32_t>{})) << "this process holds it";

  std::unique_ptr<platform::RestartSession> other = process.StartRestartSession(&error);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->RegisterFiles({folder + "\\free.txt"}), platform::kErrorSuccess);
  users = {0xDEADBEEF};
  EXPECT_EQ(other->ListUsers(&users), platform::kErrorSuccess);
  EXPECT_TRUE(users.empty());
  EXPECT_EQ(other->ShutDownUsers(), platform::kErrorSuccess) << "nobody to close";
}

}  // namespace
}  // namespace contract
