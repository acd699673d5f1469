#include "setup/config_message.h"

#include "common/messages.h"
#include "setup/setup_codes.h"

namespace {

constexpr size_t kTextSize = 513;

std::string CatalogueText(uint32_t number) {
  char text[kTextSize];
  MsgGetText(number, text, sizeof text);
  return text;
}

}  // namespace

std::string FillTemplate(const std::string& format, const char* const* texts, int text_count,
                         const int* numbers, int number_count) {
  std::string out;
  int next_text = 0;
  int next_number = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    char kind = i + 1 < format.size() ? format[i + 1] : '\0';
    if (c != '%') {
      out += c;
    } else if (kind == '%') {
      out += '%';
      ++i;
    } else if (kind == 's' && next_text < text_count) {
      const char* text = texts[next_text++];
      out += text != nullptr ? text : "";
      ++i;
    } else if (kind == 'd' && next_number < number_count) {
      out += std::to_string(numbers[next_number++]);
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

ConfigMessage BuildConfigMessage(uint32_t code, const char* argument, const char* label,
                                 uint32_t range) {
  ConfigMessage message{CatalogueText(kCfgMsgTitle), "", ConfigBoxKind::kNotice};
  std::string format = CatalogueText(code == kCfgBadServerDsn ? kCfgBadDsn : code);
  switch (code) {
    case kCfgBadDsn:
    case kCfgBadServerDsn:
    case kCfgInvalidPort:
    case kCfgOtherDriver:
      message.body = FillTemplate(format, &argument, 1, nullptr, 0);
      break;
    case kCfgInvalidNumber: {
      const int bounds[] = {static_cast<int>(range & 0xFFFF), static_cast<int>(range >> 16)};
      message.body = FillTemplate(format, &label, 1, bounds, 2);
      break;
    }
    case kCfgNotFound:
      message.body = FillTemplate(format, &argument, 1, nullptr, 0);
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
