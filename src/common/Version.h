#pragma once
// The program's version: macros for the resource compiler, constants for the code.
#define KESTRAP_VERSION_MAJOR 1
#define KESTRAP_VERSION_MINOR 4
#define KESTRAP_VERSION_NUMBERS KESTRAP_VERSION_MAJOR, KESTRAP_VERSION_MINOR, 0, 0
#define KESTRAP_VERSION_DOTTED "1.4.0.0"
#define KESTRAP_VERSION_TEXT "1.04"

#ifndef RC_INVOKED
#include <string_view>

namespace kestrap {

constexpr int ProgramVersion = KESTRAP_VERSION_MAJOR * 100 + KESTRAP_VERSION_MINOR;  // hundredths
constexpr std::string_view ProgramVersionText = KESTRAP_VERSION_TEXT;

}  // namespace kestrap
#endif
