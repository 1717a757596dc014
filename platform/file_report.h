// One line on standard error for a data file the program could not use whole:
// "<program>: <file>: <reason> (<full path>)", and what the program does about it
// when that is not plain from the reason. The program's name is set once by main.
#pragma once

#include "platform/outcome.h"

#include <string>

// "velmoria" unless main names the program otherwise.
void set_program_name(const char* name);
const char* program_name();

// The line, without its end of line. `file_name` is shown as given but tidied
// ("neomeshes//quorrel.obj" reads "neomeshes/quorrel.obj"); `consequence` may be
// null.
std::string file_problem_line(const char* file_name, const char* reason, const char* consequence);
// Writes that line to standard error.
void report_file_problem(const char* file_name, const char* reason, const char* consequence = nullptr);

// The line of a failure: the file's line above when it is about a data file, else
// "<program>: <what>: <reason>".
void report_outcome(const outcome& failure);
