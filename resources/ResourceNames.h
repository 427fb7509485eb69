// Names of the resources compiled into corvane.exe (corvane.rc), for code that loads them.
#pragma once

namespace resources {

// Icons.
inline constexpr const char* kMainIcon = "MAINICON";  // program icon: 16x16 24-bit, 32x32
inline constexpr const char* kTrayIcon = "TrayIcon";  // tray icon: 16x16 16 colours, 32x32
inline constexpr const char* kTrayAnim = "TrayAnim";  // second frame of the tray blink

// 24-bit bitmaps; glyphs are drawn on the window background RGB(107, 98, 160).
inline constexpr const char* kMainStrip = "MainStrip";              // 22 x 197
inline constexpr const char* kHistoryStrip = "HistoryStrip";        // 47 x 293
inline constexpr const char* kCookieStrip = "CookieStrip";          // 33 x 301
inline constexpr const char* kPopupStrip = "PopupStrip";            // 48 x 250
inline constexpr const char* kBossKeyStrip = "BossKeyStrip";        // 47 x 291
inline constexpr const char* kSoundBackground = "SoundBackground";  // 229 x 62
inline constexpr const char* kSplash = "Splash";                    // 415 x 311
inline constexpr const char* kAbout = "About";                      // 419 x 217
inline constexpr const char* kPlayGlyph = "PlayGlyph";              // 16 x 16
inline constexpr const char* kSelectGlyph = "SelectGlyph";          // 16 x 16

}  // namespace resources
