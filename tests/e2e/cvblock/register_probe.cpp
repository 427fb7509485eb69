// Test probe: calls cvblock.dll's DllRegisterServer with HKEY_CLASSES_ROOT mapped to a volatile
// key, under which no lasting key can be created, and prints the HRESULT, so a test can see that
// a failed registry write is reported. (Wine does not enforce key access rights, so a read-only
// key would not do.)
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
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
