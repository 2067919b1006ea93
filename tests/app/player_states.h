#pragma once
// What the audio player's four buttons show in each of its states, written out as the
// user sees them: (visible, enabled) for Pause, Resume, Stop and Open. The tests compare
// the player with this table, not with the player's own constants.
#include "app/miniplayer.h"

namespace player_states {

//                                     Pause           Resume          Stop            Open
// Playing (after Open, Resume or a dropped file): Open is shown but cannot be used.
inline const TPlayerButtons kPlaying = {{true, true}, {false, false}, {true, true}, {true, false}};
// Paused: Resume in Pause's place.
inline const TPlayerButtons kPaused = {{false, false}, {true, true}, {true, true}, {true, false}};
// Stopped with a file open (also at the track's end).
inline const TPlayerButtons kStopped = {{false, false}, {true, true}, {true, false}, {true, true}};
// Nothing open (at the start, after a failed Resume or a refused file): only Open works.
inline const TPlayerButtons kClosed = {{true, false}, {false, false}, {true, false}, {true, true}};

}  // namespace player_states
