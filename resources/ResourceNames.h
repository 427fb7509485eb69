// Names of the resources compiled into corvane.exe (corvane.rc), for code that loads them.
#pragma once

namespace resources {

// Icons.
inline constexpr const char* kMainIcon = "MAINICON";  // program icon: 16, 24, 32 and 48 square, 24-bit
inline constexpr const char* kTrayIcon = "TrayIcon";  // tray icon: 16, 24 and 32 square, 16 colours
inline constexpr const char* kTrayAnim = "TrayAnim";  // second frame of the tray blink

// 8-bit bitmaps; glyphs are drawn on the window background RGB(107, 98, 160), and
// come at 150% and 200% too, as "PlayGlyph150" and "PlayGlyph200" (ResourceBitmap).
inline constexpr const char* kMainStrip = "MainStrip";              // 22 x 197
inline constexpr const char* kHistoryStrip = "HistoryStrip";        // 47 x 293
inline constexpr const char* kCookieStrip = "CookieStrip";          // 33 x 301
inline constexpr const char* kPopupStrip = "PopupStrip";            // 48 x 250
inline constexpr const char* kBossKeyStrip = "BossKeyStrip";        // 47 x 291
inline constexpr const char* kSoundBackground = "SoundBackground";  // 229 x 62
inline constexpr const char* kSplash = "Splash";                    // 415 x 311
inline constexpr const char* kAbout = "About";                      // 419 x 217
inline constexpr const char* kPlayGlyph = "PlayGlyph";              // 16 x 16, 24 x 24, 32 x 32
inline constexpr const char* kSelectGlyph = "SelectGlyph";          // 16 x 16, 24 x 24, 32 x 32

}  // namespace resources
