/* Stand-in for cvblock.dll in installer tests: counts each registration call
   under HKCU\Software\CorvaneInstallerTest so a test can see who registered
   and unregistered the module. Built with REFUSE_REGISTRATION, it answers
   registration as a standard user's module does under UAC: access denied
   (it may not write HKCR and HKLM). */
#include <windows.h>

static HRESULT record(const wchar_t* name) {
  HKEY key;
  DWORD count = 0, size = sizeof count;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\CorvaneInstallerTest", 0, NULL, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      NULL, &key, NULL) != ERROR_SUCCESS)
    return E_FAIL;
  if (RegQueryValueExW(key, name, NULL, NULL, (BYTE*)&count, &size) != ERROR_SUCCESS) count = 0;
  ++count;
  LONG rc = RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&count, sizeof count);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? S_OK : E_FAIL;
}

#ifdef REFUSE_REGISTRATION
__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) {
  record(L"Refused");
  return E_ACCESSDENIED;
}
#else
__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) { return record(L"Registered"); }
#endif
__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) { return record(L"Unregistered"); }
