// UTF-8 to UTF-16 and back for the Win32 calls, which take wide strings: the
// program keeps its text in UTF-8 everywhere else.
#pragma once

#include <string>

std::wstring utf16_of(const std::string& text);
std::string utf8_of(const std::wstring& text);
