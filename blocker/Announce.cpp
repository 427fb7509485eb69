// Counting a blocked pop-up window in Corvane's settings and announcing it to Corvane's main window.
#include "Announce.h"

#include <climits>

namespace cvblock {
namespace {

constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings";
// Corvane answers after its sound and its 2400 ms tray animation; a window that has not answered
// by then is not waited for any longer.
constexpr UINT kAnswerWaitMs = 30000;

class SettingsKey {
public:
    // The settings live in the 64-bit view whatever the build, where Corvane keeps them. The
    // installer grants users query and set value on the key, and no more: ask no more.
    explicit SettingsKey(REGSAM access) {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, access | KEY_WOW64_64KEY, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;
    ~SettingsKey() {
        if (key_) RegCloseKey(key_);
    }
    // A missing key, a missing value, or one of another type, reads as 0.
    DWORD readDword(const wchar_t* name) const {
        DWORD type = 0, value = 0, size = sizeof value;
        LONG rc = key_ ? RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size)
                       : ERROR_FILE_NOT_FOUND;
        return (rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value) ? value : 0;
    }
    bool writeDword(const wchar_t* name, DWORD value) const {
        return key_ && RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                           ERROR_SUCCESS;
    }

private:
    HKEY key_ = nullptr;
};

// Corvane does not read the text, and a data: address can run to megabytes: the announcement
// carries at most the longest address Internet Explorer takes (INTERNET_MAX_URL_LENGTH).
constexpr int kLongestAddress = 2084;

Text announced(Text address) {
    if (address.length <= kLongestAddress) return address;
    address.length = kLongestAddress;
    // Not half of a character: a surrogate pair stays whole or goes.
    if (IS_HIGH_SURROGATE(address.chars[address.length - 1])) --address.length;
    return address;
}

// Blocked pop-up windows the settings would not count, not yet handed to Corvane. An announcement
// carries them in its dwData: kUncountedTag in the high word, their number in the low word (at most
// kMostUncounted; the rest wait for the next). With none, dwData is 0, as it has always been.
// Corvane's services/BlockerModule.h reads the same tag.
LONG g_uncounted = 0;
constexpr ULONG_PTR kUncountedTag = 0x43560000;  // "CV"
constexpr LONG kMostUncounted = 0xFFFF;

LONG takeUncounted() {
    LONG taken = InterlockedExchange(&g_uncounted, 0);
    if (taken <= kMostUncounted) return taken;
    InterlockedExchangeAdd(&g_uncounted, taken - kMostUncounted);
    return kMostUncounted;
}

// At most one announcement on its way per process: a page that opens pop-up windows in a loop
// gets them all counted, not a queue of threads waiting on Corvane's announcements.
LONG g_announcing = 0;

struct Announcement {
    LONG uncounted;  // taken when the pop-up window was blocked
    int length;
    wchar_t chars[1];  // length characters follow
};

// Sends the announcement of `address` carrying `uncounted` pop-up windows for Corvane to count.
void sendAnnouncement(HWND sender, Text address, LONG uncounted);

DWORD WINAPI announceThread(void* param) {
    {
        HeapArray<Announcement> announcement(static_cast<Announcement*>(param));
        Text address{announcement[0].chars, announcement[0].length};
        sendAnnouncement(nullptr, address, announcement[0].uncounted);
        // Pop-up windows blocked meanwhile were not announced: those the settings would not count
        // go to Corvane now, once, rather than wait for a pop-up window that may never come.
        if (InterlockedCompareExchange(&g_uncounted, 0, 0) > 0) sendAnnouncement(nullptr, address, takeUncounted());
    }
    InterlockedExchange(&g_announcing, 0);
    // The thread held the module loaded (see announceInBackground); it lets go only as it ends.
    FreeLibraryAndExitThread(thisModule(), 0);
}

}  // namespace

bool blockingEnabled() { return SettingsKey(KEY_QUERY_VALUE).readDword(L"CRVNPBStatus") != 0; }

void countBlockedPopup() {
    SettingsKey settings(KEY_QUERY_VALUE | KEY_SET_VALUE);
    DWORD count = settings.readDword(L"EPWC");
    // Corvane reads the count as a signed number: stop at its largest value instead of wrapping.
    if (count < static_cast<DWORD>(INT_MAX)) ++count;
    if (!settings.writeDword(L"EPWC", count)) InterlockedIncrement(&g_uncounted);
}

namespace {

void sendAnnouncement(HWND sender, Text address, LONG uncounted) {
    // Without Corvane, the pop-up windows not counted wait for the next announcement.
    HWND main = FindWindowW(L"TCorvaneMain", L"Preferences");
    if (!main) {
        InterlockedExchangeAdd(&g_uncounted, uncounted);
        return;
    }
    address = announced(address);
    // The address in UTF-8, with a terminating null.
    int n = address.length > 0
                ? WideCharToMultiByte(CP_UTF8, 0, address.chars, address.length, nullptr, 0, nullptr, nullptr)
                : 0;
    if (n < 0) n = 0;
    HeapArray<char> text = allocate<char>(static_cast<size_t>(n) + 1);
    if (!text) {
        InterlockedExchangeAdd(&g_uncounted, uncounted);
        return;
    }
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, address.chars, address.length, text.get(), n, nullptr, nullptr);
    text[n] = '\0';
    COPYDATASTRUCT data{};
    // Handed over once: a send that fails after Corvane had it must not count them twice.
    data.dwData = uncounted > 0 ? kUncountedTag | static_cast<ULONG_PTR>(uncounted) : 0;
    data.cbData = static_cast<DWORD>(n + 1);
    data.lpData = text.get();
    // Sent, not posted (the system refuses to post WM_COPYDATA): the call returns once Corvane has
    // played its announcement, and a hung window is not waited for at all.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(&data),
                        SMTO_ABORTIFHUNG, kAnswerWaitMs, &answer);
}

}  // namespace

void announceBlockedPopup(HWND sender, Text address) { sendAnnouncement(sender, address, takeUncounted()); }

bool announceInBackground(Text address) {
    if (InterlockedCompareExchange(&g_announcing, 1, 0) != 0) return false;
    address = announced(address);
    HeapArray<Announcement> announcement(static_cast<Announcement*>(
        HeapAlloc(GetProcessHeap(), 0, sizeof(Announcement) + static_cast<size_t>(address.length) * sizeof(wchar_t))));
    // The thread keeps the module loaded while it runs, even if the browser unloads it meanwhile.
    HMODULE pinned = nullptr;
    if (announcement && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                           reinterpret_cast<LPCWSTR>(&announceThread), &pinned)) {
        // What this pop-up window left uncounted goes with its own announcement, whenever the
        // thread gets to send it; those blocked after it go with the one that follows.
        announcement[0].uncounted = takeUncounted();
        announcement[0].length = address.length;
        CopyMemory(announcement[0].chars, address.chars, address.length * sizeof(wchar_t));
        if (HANDLE thread = CreateThread(nullptr, 0, announceThread, announcement.get(), 0, nullptr)) {
            announcement.release();  // the thread frees it
            CloseHandle(thread);
            return true;
        }
        InterlockedExchangeAdd(&g_uncounted, announcement[0].uncounted);
        FreeLibrary(pinned);
    }
    InterlockedExchange(&g_announcing, 0);
    return false;
}

}  // namespace cvblock
