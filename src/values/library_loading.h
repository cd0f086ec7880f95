// Opening an outside library when it is first needed (dlopen) instead of
// linking it, so that a program that never needs it never loads it: the
// ODBC driver manager, libxlsxwriter and libcurl are opened this way.
//
// The library's functions are looked up by name, each into the slot of a
// pointer of the function's own type; a user lists its functions once and
// lets LoadLibraryFunctions fill the pointers (see odbc_library.cpp).
#pragma once

#include <span>
#include <string>
#include <vector>

namespace tpl {

// Opens `file` (RTLD_NOW | RTLD_LOCAL: a library the opened one loads, such
// as an ODBC driver, finds its own entry points rather than ours) and looks
// up each name. Answers why it could not: the loader's words, or the first
// function the library lacks, as the catalogue's sentence; nothing when it
// could. On success `addresses` holds one address per name, in order, and
// with `keep` the library stays open for the process; without, it is
// closed again (a check only, and the addresses must not be used).
std::string OpenLibrary(const char* file, std::span<const char* const> names,
                        std::vector<void*>& addresses, bool keep);

// Converts the address of a function looked up by name to the function's
// pointer type.
template <typename Function>
Function FunctionAt(void* address) {
  return reinterpret_cast<Function>(address);
}

}  // namespace tpl
