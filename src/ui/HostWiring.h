#pragma once

namespace korvel {
class Host;
}

namespace korvel::ui {

class TKorvel200STxPrg;
class QtOperatorPrompts;

// Opens "Off-Line Programming Configure", whose menu entry is hidden.
inline constexpr const char* kOfflineConfigKey = "Ctrl+Shift+P";

// Connects the window's buttons, menus, keys, timers and views to the
// host. The window keeps no program logic: every handler is one host call.
void WireHost(TKorvel200STxPrg& window, Host& host);

}  // namespace korvel::ui
