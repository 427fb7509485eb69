// The contract tests that need windows of their own, run on the virtual
// display: the plain contract run has none, and skips them there.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "Driver.h"

namespace e2e {
namespace {

std::string ReadFileText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Runs a command line with its output going to a file (so that its own test
// summary does not mix with ours); its exit code, or nullopt on a time-out.
std::optional<DWORD> RunToFile(std::wstring line, const std::wstring& output, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE file = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = file;
  PROCESS_INFORMATION pi{};
  std::optional<DWORD> code;
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, BinFolder().c_str(), &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
      DWORD exit = 0;
      GetExitCodeProcess(pi.hProcess, &exit);
      code = exit;
    } else {
      TerminateProcess(pi.hProcess, 99);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(file);
  return code;
}

TEST(ContractOnDisplayE2E, TheWindowAndHotkeyContractsPassWithRealWindows) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring report = std::wstring(temp) + L"corvane-window-contract.xml";
  std::wstring log = std::wstring(temp) + L"corvane-window-contract.log";
  DeleteFileW(report.c_str());
  // Promises the child a display: a window it cannot make is then a failure, not a skip.
  SetEnvironmentVariableW(L"CORVANE_CONTRACT_DISPLAY", L"1");
  std::optional<DWORD> exit = RunToFile(L"\"" + BinFolder() +
                                            L"contract_win32.exe\" "
                                            L"--gtest_filter=WindowContract.*:HotkeyContract.* --gtest_output=xml:" +
                                            report,
                                        log, 120000);
  SetEnvironmentVariableW(L"CORVANE_CONTRACT_DISPLAY", nullptr);
  EXPECT_EQ(exit, 0u) << ReadFileText(log);

  std::string xml = ReadFileText(report);
  ASSERT_FALSE(xml.empty()) << "no report from contract_win32.exe";
  EXPECT_NE(xml.find("<testsuites tests=\"7\" failures=\"0\""), std::string::npos) << xml;
  EXPECT_EQ(Count(xml, "status=\"run\" result=\"completed\""), 7u) << "none skipped: " << xml;
  DeleteFileW(report.c_str());
  DeleteFileW(log.c_str());
}

}  // namespace
}  // namespace e2e
