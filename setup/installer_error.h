// Why a ConfigDSN call failed, posted on the installer's error list so
// that SQLInstallerError (and the programs built on it) can tell.
#pragma once

#include <cstdint>

// Posts the code's text, filled with `argument`, under the installer error
// number that fits the code.
void PostConfigError(uint32_t code, const char* argument);

// The installer error number for a code.
uint32_t InstallerErrorOf(uint32_t code);
