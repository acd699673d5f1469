// The driver's message catalogue: its built-in table and the message file
// "velclient_messages.xml" beside the library, loaded at process attach.
#pragma once

#include <cstddef>
#include <cstdint>

// Installs the catalogue over the built-in table (texts from the message
// file beside the driver when there is one). 1, or 0 when it failed.
int DrvLoadMessages();
void DrvReleaseMessages();

// A new copy of message `number`'s text (at most 511 characters), or null;
// freed with DrvFreeMessage.
char* DrvGetMessage(uint32_t number);
void DrvFreeMessage(char* text);
// The text of message `number` in the buffer (cut to fit); 1 when a message
// text was copied.
int DrvMessageText(uint32_t number, char* buffer, size_t size);
