#pragma once

// True when the windowing system the program would use can be reached, so that the editor can
// start without the toolkit aborting on a missing display.
bool windowingSystemReachable();
