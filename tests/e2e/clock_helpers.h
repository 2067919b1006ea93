#pragma once
// What the end-to-end tests of the clock share: where the program and its characters are,
// the settings as reg.exe lists them, the audible part of a capture, the window's state.
#include <chrono>
#include <future>
#include <map>
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
// Where the starting clock has written all its characters, their sizes no longer growing:
// it writes them once its main window is shown ("" when not within the time).
std::string WaitForCharacterFolder(std::chrono::milliseconds timeout);
// The value of a string value in a listing of reg.exe ("" when it is not there).
std::string Setting(const std::string& listing, const std::string& name);
// The 16-bit samples that are not silent: a device that falls behind under load pads the
// capture with silence, which is not the clock's doing.
Bytes Audible(const Bytes& samples);
// The samples of a wave file, which must hold some.
Bytes ExpectedSamples(const std::string& wav);
// The audible samples of these wave files of the clock's folder (Sounds/15.wav, …) one
// after the other.
Bytes AudibleSounds(const std::vector<std::string>& waves);

using TimePoint = std::chrono::system_clock::time_point;
// Seconds of 16-bit mono samples at 22050 Hz.
double Seconds(size_t bytes);
// The seconds of silence a wave's samples start with.
double LeadingSilence(const Bytes& samples);
double SecondsBetween(TimePoint from, TimePoint to);
// A sound the clock starts on its one-second tick when that tick sees `second`: it starts
// within that second (the tick runs at its own phase), give or take the half second it may
// take to reach the capture. `heard` is when its first audible sample came, `lead` the
// silence its wave begins with.
void ExpectInSecond(TimePoint heard, double lead, const std::string& second);
// Watches the capture from now on, in the background: for each count of audible bytes, the
// clock's own time at the moment the capture first held more (fewer times when it never did
// within the timeout).
std::future<std::vector<TimePoint>> Listen(const WineSession& wine, const std::string& capture,
                                           std::vector<size_t> counts, std::chrono::seconds timeout);
// Waits until the capture has held at least `count` audible bytes, or the timeout passed;
// the audible bytes it holds then.
Bytes HearAtLeast(const std::string& capture, size_t count, std::chrono::seconds timeout);
// Waits until the capture has not grown for `quiet`; its audible bytes then.
Bytes HearUntilQuiet(const std::string& capture, std::chrono::milliseconds quiet, std::chrono::seconds timeout);

// An item of the open menu as the user sees it.
struct MenuItem {
  bool enabled = false, checked = false;
  std::string caption;  // "-" for a line
};
// The open menu's items by their place: "7" the eighth item, "7.6" the seventh of its
// submenu (read whether or not the submenu is open).
std::map<std::string, MenuItem> OpenMenuItems(WineSession& wine);
// Opens the tray icon's menu (right click), reads its items and closes it.
std::map<std::string, MenuItem> TrayMenuItems(WineSession& wine);
// The tray icon's tip, once it reads `expected` (or whatever it reads after the timeout).
std::string TrayTip(WineSession& wine, const std::string& expected, std::chrono::seconds timeout = std::chrono::seconds(5));

// Polls a winctl query until it prints `expected` (one line); whether it did in time.
bool Becomes(WineSession& wine, const std::vector<std::string>& query, const std::string& expected,
             std::chrono::milliseconds timeout = std::chrono::seconds(5));
// Whether the window is gone (or hidden) within the timeout.
bool Gone(WineSession& wine, const std::string& cls, std::chrono::milliseconds timeout = std::chrono::seconds(5));

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
