// How one of the program's texts (messages.h) reaches its reader: the
// command line prints it as written; the window hands in its translation,
// so that a text the core puts together reads in the window's language.
#pragma once

#include <string>

namespace tp {

using Wording = std::string (*)(const char* text);

inline std::string AsWritten(const char* text) { return text; }

}  // namespace tp
