// How the setup library reads server hosts: a dotted address as it is, any
// other name through the platform's look-up (platform/env.h, which tests
// replace so that no name ever goes to the network).
#pragma once

#include <cstddef>
#include <cstdint>

// 1 and the address when the host resolves: a dotted address of up to 15
// characters without a name look-up, anything else through the look-up
// (which may wait on the network: the dialogs show the wait cursor around
// it; a silent call shows nothing).
// The all-ones address counts as unresolved.
int ResolveHostAddress(const char* host, uint32_t* address);
// The host's item of the resolved-address list: the address in decimal, or
// the host text itself when it does not resolve (cut to fit `size`).
// Returns what ResolveHostAddress returned.
int ResolveHostToText(const char* host, char* text, size_t size);
