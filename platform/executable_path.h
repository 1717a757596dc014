// Where the running program's executable lives, as the platform reports it. The
// data lookup starts from here, so an installed or unpacked program finds the data
// installed beside it whatever the working folder.
#pragma once

#include <string>

// The folder holding the executable, without a trailing separator; empty when the
// platform cannot tell.
std::string executable_folder();
