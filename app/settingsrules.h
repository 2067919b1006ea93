#pragma once
// The settings window's rules that need no window: the word after the auto-off minutes,
// which countdown controls the end action leaves usable, the say-time hotkey's
// combination as the hotkey edit accepts it, and stored values brought into range.
#include <cstdint>

#include "classlib/core/text.h"

// "минуту" for 1, "минуты" for 2 to 4, "минут" for 5 to 19; from 20 on by the last digit:
// 1 "минуту", 2 to 4 "минуты", 0 and 5 to 9 "минут".
String AutoOffWord(int Minutes);

// What the countdown's end action (0 a signal, 1 shut down, 2 start a program) leaves
// usable: the program's fields and its "Выбрать..." button, and the reminder box. Where
// the reminder box is not usable it is unticked too: only a signal asks for a reminder.
struct TEndActionControls {
  bool ProgramEnabled = false;
  bool ReminderEnabled = true;
};
TEndActionControls EndActionControls(int Action);

// The say-time hotkey's combination unless another is chosen: Ctrl+Alt+A.
inline constexpr std::uint16_t kDefaultSayTimeHotKey = 49217;

// A combination with no modifier or with Shift alone (as a shortcut code: the virtual key
// in the low byte, Shift 0x2000, Ctrl 0x4000, Alt 0x8000) gets Ctrl+Alt in their place,
// as the hotkey edit does; one without a key (an emptied edit) is the default again, as no
// key could be held for it.
std::uint16_t AcceptedHotKey(std::uint16_t ShortCut);

// A stored index read as Default when it is outside 0..Count-1.
int IndexOrDefault(int Value, int Count, int Default);
