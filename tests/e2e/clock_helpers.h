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

}  // namespace horavox::e2e
