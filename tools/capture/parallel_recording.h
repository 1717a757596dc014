// Recording in parallel jobs: the tool starts copies of itself, one per slice,
// each with its own private X server and GL context and each encoding its slice
// as video only into a temporary folder beside the output; it shows one progress
// line for all of them together (each job writes a byte per frame into a pipe),
// then joins the slices and adds the music. Ctrl-C or SIGTERM ends every job and
// leaves neither processes nor files behind.
#pragma once

#include "tools/capture/capture_options.h"
#include "tools/capture/slice_join.h"

// Records `options` (with jobs > 1) into join.out; join names the programs and
// the music. The exit code: 0, 1 on failure, 130 when stopped.
int record_in_parallel(const capture_options& options, join_request join);
