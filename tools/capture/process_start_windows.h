// Starting a helper program on Windows: no shell in between, and the standard
// handles chosen by the caller.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Starts arguments[0]; `input` and `output` replace its standard input and output
// when not null (they must be inheritable). False (with the reason on stderr) when
// it cannot be started.
bool start_process(const std::vector<std::string>& arguments, HANDLE input, HANDLE output,
                   PROCESS_INFORMATION& process);
