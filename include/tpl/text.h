// Text routines of the platform on UTF-8 strings. Every length, position and
// cut counts characters (code points), never bytes: Len("Título") is 6.
// Positions are 1-based as on the platform.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tpl {

size_t Len(std::string_view text);
// Characters start..start+length-1 (start from 1); past the end gives what
// is there. A start of 0 raises an invalid procedure call (5).
std::string Mid(std::string_view text, size_t start, size_t length = std::string_view::npos);
std::string Left(std::string_view text, size_t length);
std::string Right(std::string_view text, size_t length);

// Removal of blanks (the space character only, as the platform does).
std::string Trim(std::string_view text);
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);

// Upper case of every letter, accented ones included ("ação" gives "AÇÃO");
// "ß" stays as it is.
std::string UCase(std::string_view text);
std::string LCase(std::string_view text);

// Character position (from 1) of the first occurrence of needle at or after
// start, or 0 when there is none. Case-sensitive. An empty needle gives
// start (0 past the end of the text); a start of 0 raises 5.
size_t InStr(std::string_view text, std::string_view needle, size_t start = 1);

// Every occurrence of find replaced by with, left to right, case-sensitive.
std::string Replace(std::string_view text, std::string_view find, std::string_view with);

}  // namespace tpl
