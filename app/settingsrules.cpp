#include "app/settingsrules.h"

String AutoOffWord(int Minutes) {
  int n = Minutes < 0 ? -Minutes : Minutes;
  if (n >= 5 && n <= 19) return "минут";
  if (n >= 20) n %= 10;
  if (n == 1) return "минуту";
  if (n >= 2 && n <= 4) return "минуты";
  return "минут";
}

TEndActionControls EndActionControls(int Action) {
  TEndActionControls c;
  c.ProgramEnabled = Action == 2;
  c.ReminderEnabled = Action == 0;
  return c;
}

std::uint16_t AcceptedHotKey(std::uint16_t ShortCut) {
  constexpr std::uint16_t kShift = 0x2000, kCtrl = 0x4000, kAlt = 0x8000;
  if ((ShortCut & 0xFF) == 0) return kDefaultSayTimeHotKey;
  std::uint16_t modifiers = ShortCut & (kShift | kCtrl | kAlt);
  if (modifiers == 0 || modifiers == kShift) return static_cast<std::uint16_t>((ShortCut & 0xFF) | kCtrl | kAlt);
  return ShortCut;
}

int IndexOrDefault(int Value, int Count, int Default) { return Value >= 0 && Value < Count ? Value : Default; }
