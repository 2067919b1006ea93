#pragma once
// The spoken time's fragments: which recorded words of the Sounds folder say an hour and a
// minute, by the Russian agreement of numbers and nouns ("21.wav", "chas.wav", "1a.wav",
// "minuta.wav" for 21:01).
#include <array>

#include "classlib/core/text.h"

// Slot 1 the hour number, 2 the hour word, 3 the minute number (or "rovno.wav" on the full
// hour), 4 the minute unit or word, 5 the minute word; an empty slot says nothing.
using TTimeFragments = std::array<String, 5>;

// Hour 0..23, Minute 0..59.
TTimeFragments TimeFragments(int Hour, int Minute);
