// Test receiver: a top-level window of Corvane's main window class and caption that logs every
// WM_COPYDATA it receives, so a test can see what cvblock.dll reports. Three named events let a
// test see when a message arrived and when it was answered, and decide when it is answered.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

FILE* g_log = nullptr;
HANDLE g_received, g_release, g_answered;
constexpr DWORD kHoldMs = 500;
constexpr UINT_PTR kGiveUpTimer = 1;
constexpr UINT kGiveUpMs = 60000;  // a receiver left behind by a failed test ends by itself

// One line per message: dwData, cbData, whether the block ends in a NUL, and its text.
void logCopyData(const COPYDATASTRUCT& data) {
    const char* bytes = static_cast<const char*>(data.lpData);
    bool terminated = data.cbData > 0 && bytes && bytes[data.cbData - 1] == '\0';
    std::string text = bytes ? std::string(bytes, data.cbData) : std::string();
    if (terminated) text.pop_back();
    std::fprintf(g_log, "copydata dwData=%lu cbData=%lu terminated=%s text=%s\n",
                 static_cast<unsigned long>(data.dwData), static_cast<unsigned long>(data.cbData),
                 terminated ? "yes" : "no", text.c_str());
    std::fflush(g_log);
}

LRESULT CALLBACK receiverProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COPYDATA:
            // Answer late, as Corvane does while it plays its announcement (or when the test
            // releases it): a sender that does not wait for the answer returns before the line is
            // logged, and the check sees it missing.
            SetEvent(g_received);
            WaitForSingleObject(g_release, kHoldMs);
            logCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lp));
            SetEvent(g_answered);
            return TRUE;
        case WM_TIMER:
            if (wp == kGiveUpTimer) DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;
    g_log = _wfopen(argv[1], L"wb");
    LocalFree(argv);
    if (!g_log) return 2;

    g_received = CreateEventW(nullptr, FALSE, FALSE, L"Local\\CvblockTestReceived");
    g_release = CreateEventW(nullptr, FALSE, FALSE, L"Local\\CvblockTestRelease");
    g_answered = CreateEventW(nullptr, FALSE, FALSE, L"Local\\CvblockTestAnswered");
    if (!g_received || !g_release || !g_answered) return 5;

    WNDCLASSW wc{};
    wc.lpfnWndProc = receiverProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TCorvaneMain";
    if (!RegisterClassW(&wc)) return 3;
    HWND hwnd = CreateWindowExW(0, L"TCorvaneMain", L"Preferences", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, instance, nullptr);
    if (!hwnd) return 4;
    SetTimer(hwnd, kGiveUpTimer, kGiveUpMs, nullptr);
    std::fprintf(g_log, "ready\n");
    std::fflush(g_log);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    std::fclose(g_log);
    return 0;
}
