// Debug check of the GL error flag: once per frame and after each pass, any
// pending glGetError codes are logged with the name of the place that ran. Off
// in release builds (NDEBUG); tests switch it on at run time.
#pragma once

namespace gl_check {

// Whether check() reads the error flag at all. Starts on in debug builds and
// off in release builds; set_enabled changes it for the rest of the process.
bool enabled();
void set_enabled(bool on);

// When enabled: drains every pending GL error, writes one line per error to
// standard error naming `where` (the first time that error is seen there), and
// returns how many there were. When
// disabled: touches no GL state and returns 0.
int check(const char* where);

// Errors logged by check() since the process started (or the last reset); lets
// tests prove that nothing went wrong while they ran.
int logged_count();
void reset_logged_count();

}  // namespace gl_check
