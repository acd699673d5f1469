// The texts of the setup library's result codes, as its message box and
// the installer's error list show them.
#pragma once

#include <cstdint>
#include <string>

enum class ConfigBoxKind {
  kNotice,         // exclamation icon, OK
  kWarningYesNo,   // exclamation icon, Yes and No
  kQuestionYesNo,  // question icon, Yes and No
};

struct ConfigMessage {
  std::string title;  // message 20000
  std::string body;
  ConfigBoxKind kind;
};

// The box for `code`: its template (checked against what it is given,
// as a message file may have replaced it) filled with the text argument (20001,
// 20002, 20005, 20007, 20019) or with the label and the range's low and
// high 16 bits (20004); a code without a row shows the catalogue's
// "not found" text. 20002 is shown with the text of 20001.
ConfigMessage BuildConfigMessage(uint32_t code, const char* argument, const char* label,
                                 uint32_t range);
