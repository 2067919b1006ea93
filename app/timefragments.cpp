#include "app/timefragments.h"

namespace {

String NumberFile(int n) { return IntToStr(n) + ".wav"; }

// The feminine forms of one and two go with "минута".
String FeminineNumberFile(int n) {
  if (n == 1) return "1a.wav";
  if (n == 2) return "2e.wav";
  return NumberFile(n);
}

// The word that agrees with a count ending in these digits: 1 — one form, 2..4 — another,
// the rest (and 11..14) — the third.
String Agreeing(int n, const char* one, const char* few, const char* many) {
  if (n % 100 >= 11 && n % 100 <= 14) return many;
  if (n % 10 == 1) return one;
  if (n % 10 >= 2 && n % 10 <= 4) return few;
  return many;
}

}  // namespace

TTimeFragments TimeFragments(int Hour, int Minute) {
  TTimeFragments slots;
  slots[0] = NumberFile(Hour);
  slots[1] = Agreeing(Hour, "chas.wav", "chasa.wav", "chasov.wav");
  if (Minute == 0) {
    slots[2] = "rovno.wav";
  } else if (Minute <= 20) {
    slots[2] = FeminineNumberFile(Minute);
    slots[3] = Agreeing(Minute, "minuta.wav", "minuti.wav", "minut.wav");
  } else {
    int units = Minute % 10;
    slots[2] = NumberFile(Minute - units);
    if (units == 0) {
      slots[3] = "minut.wav";
    } else {
      slots[3] = FeminineNumberFile(units);
      slots[4] = Agreeing(units, "minuta.wav", "minuti.wav", "minut.wav");
    }
  }
  return slots;
}
