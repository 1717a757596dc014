// Live reload for authoring: while app.live_reload is set, the data folders the
// show loads from are watched, and before each frame what changed is loaded
// again: every shader program for a change in Materials/ or PostProcessing/, a
// mesh or an image for a change of its own file. A failure keeps the last good
// program, mesh or image in use; it is printed on standard output and listed in
// app.reload_error until a later reload of the same thing succeeds.
#pragma once

// Called once per frame before the frame is drawn; does nothing while the switch
// is off. The folders are watched from the first call with the switch on.
void reload_changed_files();

// Stops watching and forgets the failures (the next call with the switch on
// starts afresh).
void stop_live_reload();
