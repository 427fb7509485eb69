// Names of the resources compiled into corvane.exe, for portable code.
#pragma once

namespace resources {

constexpr const char* kMainIcon = "MAINICON";
constexpr const char* kTrayIcon = "TrayIcon";
constexpr const char* kTrayAnim = "TrayAnim";

constexpr const char* kMainStrip = "MainStrip";
constexpr const char* kHistoryStrip = "HistoryStrip";
constexpr const char* kCookieStrip = "CookieStrip";
constexpr const char* kPopupStrip = "PopupStrip";
constexpr const char* kBossKeyStrip = "BossKeyStrip";
constexpr const char* kSoundBackground = "SoundBackground";
constexpr const char* kSplash = "Splash";
constexpr const char* kAbout = "About";
constexpr const char* kPlayGlyph = "PlayGlyph";
constexpr const char* kSelectGlyph = "SelectGlyph";

}  // namespace resources
