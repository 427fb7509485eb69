/* Stand-in for cvblock.dll in installer tests: records each registration call
   under HKCU\Software\CorvaneInstallerTest so a test can see that the
   uninstaller unregistered the module. */
#include <windows.h>

static HRESULT record(const wchar_t *name)
{
    HKEY key;
    DWORD one = 1;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\CorvaneInstallerTest", 0, NULL, 0, KEY_SET_VALUE,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return E_FAIL;
    LONG rc = RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? S_OK : E_FAIL;
}

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) { return record(L"Registered"); }
__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) { return record(L"Unregistered"); }
