// The two things a blocked pop-up window causes outside the browser: one more in the count that
// Corvane shows, and the announcement to Corvane's main window.
#pragma once

#include "Module.h"

namespace cvblock {

// True while Corvane's "Enable Popup Blocking" is on; a missing settings key or value means off.
bool blockingEnabled();

// Adds one to EPWC. Where the settings key cannot be written (at Low integrity: Internet
// Explorer's protected mode, Edge's Internet Explorer mode), the pop-up window is kept for the
// next announcement to hand to Corvane, which counts it.
void countBlockedPopup();

// Sends the address to Corvane's main window, if there is one, and returns once Corvane has
// answered (after its sound and tray animation) or the wait has run out.
void announceBlockedPopup(HWND sender, Text address);

// The same from a thread of the module's own, so that the caller (the browser's window) goes on
// at once. False when the announcement was dropped: one is still on its way, or no thread.
bool announceInBackground(Text address);

}  // namespace cvblock
