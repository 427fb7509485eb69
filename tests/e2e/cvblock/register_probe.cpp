// Test probe: calls cvblock.dll's DllRegisterServer with HKEY_CLASSES_ROOT mapped to a volatile
// key, under which no lasting key can be created, and prints the HRESULT, so a test can see that
// a failed registry write is reported. (Wine enforces a key's access list only when the key is
// opened, so a read-only key would not do: the registration creates its keys.)
//
// `register_probe --settings query|full` gives everyone only query access to Corvane's settings
// key, as Windows gives a process at Low integrity (Internet Explorer's protected mode), or full
// access again.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>

namespace {

int setSettingsAccess(const char* access) {
    const wchar_t* descriptor = std::strcmp(access, "query") == 0 ? L"D:(A;;KR;;;WD)" : L"D:(A;;KA;;;WD)";
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &sd, nullptr)) return 6;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings", 0,
                            WRITE_DAC | KEY_WOW64_64KEY, &key);
    if (rc == ERROR_SUCCESS) rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    if (key) RegCloseKey(key);
    LocalFree(sd);
    std::printf("settings access %s: %ld\n", access, rc);
    return rc == ERROR_SUCCESS ? 0 : 7;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (argc == 3 && std::strcmp(argv[1], "--settings") == 0) return setSettingsAccess(argv[2]);
    HKEY scratch = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\CvblockRegisterProbe", 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &scratch, nullptr) != ERROR_SUCCESS)
        return 3;
    LONG rc = RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch);
    RegCloseKey(scratch);
    if (rc != ERROR_SUCCESS) {
        std::printf("override failed %ld\n", rc);
        return 4;
    }
    HMODULE dll = LoadLibraryA(argv[1]);
    auto reg = dll ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                         reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")))
                   : nullptr;
    if (!reg) return 5;
    std::printf("DllRegisterServer 0x%08lx\n", static_cast<unsigned long>(reg()));
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CvblockRegisterProbe");
    return 0;
}
