// How the capture tool writes its files (PNG frames, recordings, joins) without
// losing anything: never through anything but a regular file or a new path, and
// never in place. The contents go to a new hidden file in the target's folder,
// which is renamed over the target only once complete; a failed or stopped write
// removes that file alone and leaves whatever was at the target.
#pragma once

#include <cstddef>
#include <string>

// Why `path` cannot be written as a new or replaced file, for a message "cannot
// write PATH: ..."; empty when it can. A folder, a device, a named pipe or a
// socket is refused as what it is ("is a character device"), and so is a symbolic
// link to one; a link to a regular file is written through.
std::string output_problem(const std::string& path);

// The file a write to `path` replaces: `path` itself, or the regular file its
// symbolic links lead to.
std::string output_target(const std::string& path);

// A new empty file beside `target` (same folder, hidden, same extension) with the
// permissions a new file gets; empty, with the reason in `problem`, when none can
// be made. Its name, ".NAME.part-PID@MACHINE-N.EXT", carries the writer's
// process id and machine (a folder may be shared between machines).
std::string temporary_beside(const std::string& target, std::string& problem);

// Renames the complete `temporary` over `target`; on failure removes `temporary`
// and gives false with the reason in `problem`.
bool replace_with(const std::string& temporary, const std::string& target, std::string& problem);

// Removes a file of the tool's own (a temporary part), if it is there.
void discard_file(const std::string& path);

// The mark "PID@MACHINE" that names this run's hidden files and folders.
std::string writer_mark();

// Removes what runs of this machine that are no longer running left in
// `folder`: the hidden part files above and the slice folders
// ".NAME.slices-PID@MACHINE-XXXXXX". Done once per folder and run; one line on
// standard error says what went.
void remove_leftovers(const std::string& folder);

// Writes `size` bytes as the whole of the new file `path`; false, with the
// system's reason in `problem` ("No space left on device"), when any write or
// the close fails.
bool write_file_bytes(const std::string& path, const void* data, size_t size, std::string& problem);

// Why another program (ffmpeg) may have failed to write into `folder`, as seen
// from outside: the system's reason when its file system has no space left,
// else empty.
std::string folder_write_problem(const std::string& folder);
