#include "setup/config_message.h"

#include "common/messages.h"
#include "common/msg_format.h"
#include "setup/setup_codes.h"

namespace {

constexpr size_t kTextSize = 513;

std::string CatalogueText(uint32_t number) {
  char text[kTextSize];
  MsgGetText(number, text, sizeof text);
  return text;
}

}  // namespace

ConfigMessage BuildConfigMessage(uint32_t code, const char* argument, const char* label,
                                 uint32_t range) {
  ConfigMessage message{CatalogueText(kCfgMsgTitle), "", ConfigBoxKind::kNotice};
  std::string format = CatalogueText(code == kCfgBadServerDsn ? kCfgBadDsn : code);
  switch (code) {
    case kCfgBadDsn:
    case kCfgBadServerDsn:
    case kCfgInvalidPort:
    case kCfgOtherDriver:
    case kCfgUnknownRequest:
      message.body =
          MsgFormatChecked(format.c_str(), {MsgArg::Text(argument != nullptr ? argument : "")});
      break;
    case kCfgInvalidNumber: {
      message.body = MsgFormatChecked(
          format.c_str(), {MsgArg::Text(label != nullptr ? label : ""),
                           MsgArg::Number(range & 0xFFFF), MsgArg::Number(range >> 16)});
      break;
    }
    case kCfgNotFound:
      message.body =
          MsgFormatChecked(format.c_str(), {MsgArg::Text(argument != nullptr ? argument : "")});
      message.kind = ConfigBoxKind::kQuestionYesNo;
      break;
    case kCfgMatchPrimary:
      message.body = format;
      message.kind = ConfigBoxKind::kWarningYesNo;
      break;
    case kCfgQueryRemove:
      message.body = format;
      message.kind = ConfigBoxKind::kQuestionYesNo;
      break;
    default:
      message.body = format;
      break;
  }
  return message;
}
