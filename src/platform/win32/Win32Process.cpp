// The kernel's process services.
#include "platform/win32/Win32Process.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/SidText.h"
#include "platform/win32/Win32SessionProcesses.h"
#include "platform/win32/WideString.h"

namespace platform::win32 {
namespace {

// A named mutex, held for as long as this lives; the traits say whether it
// is released before it is closed.
template <typename Traits>
class Win32Mutex : public NamedMutex {
 public:
  explicit Win32Mutex(HANDLE handle) : handle_(handle) {}

 private:
  ScopedHandle<Traits> handle_;
};

}  // namespace

MutexResult Win32Process::CreateInitiallyOwnedMutex(const std::string& name) {
  MutexResult result;
  HANDLE handle = CreateMutexW(nullptr, TRUE, Wide(name).c_str());
  result.alreadyExisted = GetLastError() == ERROR_ALREADY_EXISTS;
  if (handle) result.handle = std::make_unique<Win32Mutex<KernelObjectTraits>>(handle);
  return result;
}

namespace {

// The SID of the user this process runs as, in its text form; empty when
// the token cannot say.
std::wstring CurrentUserSid() {
  ScopedKernelObject token;
  HANDLE h = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &h)) return {};
  token.Reset(h);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0 || size > 4096) return {};
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  return SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

// True when the kernel object's owner is the SID `sid` (text form).
bool OwnedBy(HANDLE object, const std::wstring& sid) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  // `owner` points into the descriptor.
  ScopedLocalMemory<PSECURITY_DESCRIPTOR> ownedDescriptor(descriptor);
  const std::wstring text = SidText(owner);
  return !text.empty() && sid == text;
}

// A mutex this thread took, with the private namespace it lives in (if
// any), which stays open while it is held and closes after it.
class Win32TakenMutex : public NamedMutex {
 public:
  Win32TakenMutex(HANDLE mutex, ScopedHandle<PrivateNamespaceTraits> space) : space_(std::move(space)), mutex_(mutex) {}

 private:
  ScopedHandle<PrivateNamespaceTraits> space_;
  ScopedHandle<OwnedMutexTraits> mutex_;
};

// Waits zero for a mutex just opened or made, and keeps it when taken.
TakenMutex TakeNow(ScopedKernelObject handle, ScopedHandle<PrivateNamespaceTraits> space = {}) {
  TakenMutex taken;
  switch (WaitForSingleObject(handle.get(), 0)) {
    case WAIT_OBJECT_0:
      taken.result = MutexTake::Taken;
      break;
    case WAIT_ABANDONED:
      taken.result = MutexTake::TakenAbandoned;
      break;
    case WAIT_TIMEOUT:
      taken.result = MutexTake::Busy;
      return taken;
    default:
      return taken;
  }
  taken.handle = std::make_unique<Win32TakenMutex>(handle.Take(), std::move(space));
  return taken;
}

// The name of the user's namespace and of its boundary.
constexpr wchar_t kUserNamespace[] = L"Corvane";

// Opens the private namespace bound to the user's SID, which only a process
// of that user can make (the system checks the boundary against the maker's
// token) and, by its access list, open: a place where no other account can
// make an object first. The first of the user's processes makes it, the
// others open it; one that its maker closed between the two is made again.
// False when the system has no private namespaces (Wine 8: its
// CreateBoundaryDescriptorW is a stub that answers null and sets no error);
// true, *space left empty, when it has them but gave none.
bool OpenUserNamespace(const std::wstring& sid, SECURITY_ATTRIBUTES* security,
                       ScopedHandle<PrivateNamespaceTraits>* space) {
  PSID binary = nullptr;
  if (!ConvertStringSidToSidW(sid.c_str(), &binary)) return true;
  ScopedLocalMemory<PSID> ownedSid(binary);
  SetLastError(ERROR_SUCCESS);
  HANDLE descriptor = CreateBoundaryDescriptorW(kUserNamespace, 0);
  if (!descriptor) return GetLastError() != ERROR_SUCCESS;
  // The call may move the descriptor: it is owned once it has returned.
  const bool bound = AddSIDToBoundaryDescriptor(&descriptor, binary);
  ScopedHandle<BoundaryDescriptorTraits> boundary(descriptor);
  for (int attempt = 0; bound && attempt < 4; ++attempt) {
    space->Reset(CreatePrivateNamespaceW(security, descriptor, kUserNamespace));
    if (space->valid() || GetLastError() != ERROR_ALREADY_EXISTS) break;
    space->Reset(OpenPrivateNamespaceW(descriptor, kUserNamespace));
    const DWORD error = GetLastError();
    if (space->valid() || (error != ERROR_PATH_NOT_FOUND && error != ERROR_FILE_NOT_FOUND)) break;
  }
  return true;
}

}  // namespace

std::string Win32Process::UserSid() { return Utf8(CurrentUserSid()); }

TakenMutex Win32Process::TryTakeMutex(const std::string& name) {
  ScopedKernelObject handle(CreateMutexW(nullptr, FALSE, Wide(name).c_str()));
  if (!handle.valid()) return {};
  return TakeNow(std::move(handle));
}

TakenMutex Win32Process::TryTakeUserMutex(const std::string& name) {
  const std::wstring sid = CurrentUserSid();
  if (sid.empty()) return {};
  // Owned by the user, every right to the user, none to anyone else, and
  // nothing inherited: the namespace and the mutex alike.
  const std::wstring sddl = L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return {};
  }
  ScopedLocalMemory<PSECURITY_DESCRIPTOR> ownedDescriptor(descriptor);
  SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
  ScopedHandle<PrivateNamespaceTraits> space;
  const bool inNamespace = OpenUserNamespace(sid, &security, &space);
  if (inNamespace && !space.valid()) return {};
  // Without private namespaces, the Global\ name with the user's SID, which
  // another account could make first: the owner check below refuses such
  // an object rather than share it.
  const std::wstring object =
      inNamespace ? std::wstring(kUserNamespace) + L"\\" + Wide(name) : L"Global\\" + Wide(name) + L"-" + sid;
  ScopedKernelObject handle(CreateMutexW(&security, FALSE, object.c_str()));
  const DWORD error = GetLastError();
  if (!handle.valid()) return {};
  if (error == ERROR_ALREADY_EXISTS && !OwnedBy(handle.get(), sid)) return {};
  TakenMutex taken = TakeNow(std::move(handle), std::move(space));
  taken.inPrivateNamespace = inNamespace;
  return taken;
}

std::thread Win32Process::StartThread(std::function<void()> body) { return std::thread(std::move(body)); }

void Win32Process::ExitNow(uint32_t exitCode) { ExitProcess(exitCode); }

std::string Win32Process::ExecutablePath() {
  // The buffer grows to the longest path and no further.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return Utf8(buffer.data(), n);
    if (buffer.size() >= kLongestPath) return {};
    buffer.resize(buffer.size() * 2);
  }
}

ModuleId Win32Process::LoadModule(const std::string& fullPath) {
  // A bare name would be looked up in the current folder and along PATH,
  // where anyone may have put a module of that name.
  if (!IsFullPath(fullPath)) return 0;
  std::wstring path = Wide(fullPath);
  // The module's own dependencies come from its folder and System32 only.
  HMODULE module =
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Windows 7 without KB2533623 knows no LOAD_LIBRARY_SEARCH_* flags.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  // The module stays loaded until the process ends.
  return reinterpret_cast<ModuleId>(module);
}

bool Win32Process::CallExport(ModuleId module, const std::string& exportName, HResult* result) {
  if (!module) return false;
  FARPROC proc = GetProcAddress(reinterpret_cast<HMODULE>(module), exportName.c_str());
  if (!proc) return false;
  using NoArgumentExport = HRESULT(STDAPICALLTYPE*)();
  *result = reinterpret_cast<NoArgumentExport>(reinterpret_cast<void*>(proc))();
  return true;
}

namespace {
BOOL CALLBACK NoteShowingProcess(HWND window, LPARAM shown) {
  DWORD id = 0;
  const bool showing = IsWindowVisible(window) || GetPropW(window, kHiddenForUserProperty);
  if (showing && GetWindowThreadProcessId(window, &id)) {
    reinterpret_cast<std::vector<DWORD>*>(shown)->push_back(id);
  }
  return TRUE;
}

// The processes that show a visible top-level window, or one the hotkey hid
// for the user: a browser kept running in the background keeps only hidden ones.
std::vector<DWORD> ProcessesShowingWindows() {
  std::vector<DWORD> shown;
  EnumWindows(NoteShowingProcess, reinterpret_cast<LPARAM>(&shown));
  return shown;
}

// A wait registered with the system's thread pool for each process: no
// thread of ours sleeps or wakes for it, and the last end calls back.
class Win32ProgramEndWatch : public ProgramEndWatch {
 public:
  explicit Win32ProgramEndWatch(std::function<void()> allEnded) : allEnded_(std::move(allEnded)) {}
  ~Win32ProgramEndWatch() override {
    // INVALID_HANDLE_VALUE: returns only once a callback that has begun has
    // returned, so none runs on a freed watch. The process handles close after.
    for (HANDLE wait : waits_) UnregisterWaitEx(wait, INVALID_HANDLE_VALUE);
  }
  void Add(HANDLE process) { processes_.emplace_back(process); }
  bool empty() const { return processes_.empty(); }
  // False when the system would not wait for one of them.
  bool Arm() {
    left_ = processes_.size();
    for (auto& process : processes_) {
      HANDLE wait = nullptr;
      if (!RegisterWaitForSingleObject(&wait, process.get(), Ended, this, INFINITE, WT_EXECUTEONLYONCE)) return false;
      waits_.push_back(wait);
    }
    return true;
  }

 private:
  static void CALLBACK Ended(void* self, BOOLEAN /*timedOut*/) {
    auto* watch = static_cast<Win32ProgramEndWatch*>(self);
    if (watch->left_.fetch_sub(1) == 1) watch->allEnded_();
  }

  std::function<void()> allEnded_;
  std::vector<ScopedHandle<KernelObjectTraits>> processes_;
  std::vector<HANDLE> waits_;
  std::atomic<size_t> left_{0};
};
}  // namespace

std::vector<RunningProcess> Win32Process::RunningProcesses() {
  const std::vector<DWORD> shown = ProcessesShowingWindows();
  std::vector<RunningProcess> processes;
  for (const SessionProcess& p : SessionProcesses()) {
    const bool windowShown = std::find(shown.begin(), shown.end(), p.id) != shown.end();
    processes.push_back({p.id, Utf8(p.file), windowShown});
  }
  return processes;
}

std::unique_ptr<ProgramEndWatch> Win32Process::WatchProgramEnd(const std::string& programFile,
                                                               std::function<void()> allEnded) {
  const std::wstring name = Wide(programFile);
  auto watch = std::make_unique<Win32ProgramEndWatch>(std::move(allEnded));
  for (const SessionProcess& p : SessionProcesses()) {
    if (_wcsicmp(p.file.c_str(), name.c_str()) != 0) continue;
    // One that ended since it was listed, or that this user may not open,
    // gives no handle: nothing to wait for.
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, p.id)) watch->Add(process);
  }
  if (watch->empty() || !watch->Arm()) return nullptr;
  return watch;
}

}  // namespace platform::win32
