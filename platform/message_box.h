// The one place where the libraries show an error message to a person.
// There is no window system underneath: by default the text goes to
// standard error; a program with a dialog layer installs its own hook.
#pragma once

using PlatformMessageBoxHook = void (*)(const char* text);

// Shows `text` as a stop message with an OK button.
void PlatformMessageBox(const char* text);

// Replaces the hook and returns the previous one; null restores the default.
PlatformMessageBoxHook PlatformSetMessageBoxHook(PlatformMessageBoxHook hook);
