// The one place where the libraries show an error message to a person,
// through the environment in force (platform/env.h): by default the text
// goes to standard error.
#pragma once

// Shows `text` as a stop message with an OK button.
void PlatformMessageBox(const char* text);
