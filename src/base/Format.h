#pragma once
// printf-like formatting with the conventions of the program's texts: "%.2d" pads to two
// digits, and a bare "%f" (no precision) prints two decimals.
#include <string>

namespace veltra {

std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// Upper-case copy of an ASCII text (file names and extensions are compared this way).
std::string UpperCase(std::string text);
bool StartsWith(const std::string& text, const std::string& prefix);

// A text on one line that tells every byte: a backslash as "\\", line feed, carriage return
// and tab as "\n", "\r", "\t", other ASCII control characters as "\xHH"; everything else as it
// is. For file names in line-based output, where a name holding a line feed must not pass for
// a line of its own.
std::string EscapeControls(const std::string& text);

// Parses a whole decimal integer, surrounding blanks allowed; raises EConvertError otherwise.
int StrToInt(const std::string& text);

} // namespace veltra
