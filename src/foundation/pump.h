// Long loops on the user-interface thread keep the windows alive by letting pending
// events through at fixed points. pumpEvents() does so at most every ~15 ms, so that a
// pump point inside a tight loop costs almost nothing.
#pragma once

namespace roomvale {

// Processes pending events if at least ~15 ms passed since the last time; cheap otherwise.
void pumpEvents();
// Processes pending events now (before a modal wait, after showing a window).
void pumpEventsNow();

}  // namespace roomvale
