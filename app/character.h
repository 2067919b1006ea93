#pragma once
// What the clock does with its character apart from the component itself: where it wanders
// to and when, what it does at idle, which file it is drawn from and how the stored options
// are applied to it. Plain logic on the character's interface (clockparts.h), the program's
// random numbers and the timer seam, so it runs on a virtual clock.
#include <cstdint>

#include "app/clockparts.h"
#include "classlib/core/text.h"

class TTimer;

// A stage place that fits: Random(max(1, area − stage)) from the area's origin, so a stage
// as large as the area (or larger) stands at its origin.
TCharacterPlace WanderTarget(const TCharacterArea& Area, int StageWidth, int StageHeight);
// The next wandering interval, ms: 1000..60000 (an interval of 0 would never fire).
std::uint32_t NextWanderInterval();
// One run of the wandering timer: the timer is held while the character walks to a random
// place of its area with a new interval; a character not visible stays where it is and the
// timer runs on, so it wanders once it is shown.
void WanderOnce(TCharacter& Character, TTimer* WanderTimer);
// At idle, on the assistant's own thread: animation 3 about one time in three. Touches no
// window or timer.
void CharacterIdle(TCharacter& Character);
// The character file chosen in the settings: 0 "Angel.aal", 1 "Ann.aal", 2 "Dolly.aal";
// any other number is the first.
String CharacterFileName(int AssistantSelect);
// A stored place whose corner lies outside the desktop (a monitor gone since) moved so the
// stage lies inside it; any other is kept.
TCharacterPlace PlaceOnDesktop(TCharacterPlace Place, const TCharacterArea& Desktop, int StageWidth,
                               int StageHeight);
// Applies the character options: its file in Folder, on top, shown or hidden, wandering.
// Returns the reason the file could not be loaded, empty when it was; the clock runs on
// without a character then.
String ApplyCharacterOptions(TCharacter& Character, TClockOptions& Options, const String& Folder);
