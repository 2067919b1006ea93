#pragma once
// What the end-to-end tests of the clock share: where the program and its characters are,
// the settings as reg.exe lists them, the audible part of a capture, the window's state.
#include <string>
#include <vector>

#include "wave_file.h"
#include "wine_session.h"

namespace horavox::e2e {

// The folder the user gets: Horavox.exe, Sounds, Ring.
std::string Dist();
// The places the clock writes its characters to: beside itself, or the per-user folder
// when it cannot.
std::vector<std::string> CharacterFolders();
// Where the running clock wrote its characters ("" when nowhere).
std::string CharacterFolder();
// The value of a string value in a listing of reg.exe ("" when it is not there).
std::string Setting(const std::string& listing, const std::string& name);
// The 16-bit samples that are not silent: a device that falls behind under load pads the
// capture with silence, which is not the clock's doing.
Bytes Audible(const Bytes& samples);
// Whether the clock's application window is minimised, as the task bar sees it.
bool Minimised(WineSession& wine);
// Whether a window of this class is on screen; whether it comes to be (or not to be) on
// screen within a few seconds.
bool Shown(WineSession& wine, const std::string& cls);
bool WaitShown(WineSession& wine, const std::string& cls, bool shown);

// Opens a window from the tray menu's ten items (item "2" is "Календарик") and waits
// until a window of its class is on screen.
void OpenFromTray(WineSession& wine, const char* item, const char* cls);

// The clock's settings key (reg.exe's form); a value written into its section.
inline constexpr char kSettingsKey[] = "HKCU\\Software\\Fernwick\\Horavox";
void AddSetting(WineSession& wine, const std::string& name, const std::string& value);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
// A rectangle as winctl prints it (rect, workarea) for a window class.
Rect CtlRect(WineSession& wine, const std::string& command, const std::string& cls);
inline Rect WindowRect(WineSession& wine, const std::string& cls) { return CtlRect(wine, "rect", cls); }

// A screenshot's pixels, 0xRRGGBB.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  unsigned At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
    const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return p[0] << 16 | p[1] << 8 | p[2];
  }
};
Picture ReadPicture(WineSession& wine, const std::string& png);
// "rrggbb"
std::string Hex(unsigned colour);

}  // namespace horavox::e2e
