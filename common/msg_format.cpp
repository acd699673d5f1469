#include "common/msg_format.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct Piece {
  std::string spec;  // the conversion rebuilt, with the length the argument needs
  size_t start, end;
  char conversion;
};

// Digits of a width or precision: at most four.
bool Digits(const char* text, size_t* at) {
  size_t begin = *at;
  while (text[*at] >= '0' && text[*at] <= '9') ++*at;
  return *at - begin <= 4;
}

// The conversions of `format`, or false when one is not of the kinds we
// format.
bool Parse(const char* format, std::vector<Piece>* pieces) {
  for (size_t i = 0; format[i] != '\0'; ++i) {
    if (format[i] != '%') continue;
    size_t start = i++;
    if (format[i] == '%') continue;
    size_t flags = i;
    while (format[i] != '\0' && std::strchr("-+ #0", format[i]) != nullptr) ++i;
    std::string spec(1, '%');
    spec.append(format + flags, i - flags);
    size_t width = i;
    if (!Digits(format, &i)) return false;
    spec.append(format + width, i - width);
    if (format[i] == '.') {
      size_t precision = i++;
      if (!Digits(format, &i)) return false;
      spec.append(format + precision, i - precision);
    }
    if (format[i] == 'l' || format[i] == 'h') ++i;
    char conversion = format[i];
    if (conversion == '\0' || std::strchr("sdiuxX", conversion) == nullptr) return false;
    spec += conversion == 's' ? "s" : std::string("l") + conversion;
    pieces->push_back(Piece{spec, start, i + 1, conversion});
  }
  return true;
}

// Literal text of the template: "%%" stands for one percent sign.
void AppendLiteral(std::string* out, const char* text, size_t length) {
  for (size_t p = 0; p < length; ++p) {
    *out += text[p];
    if (text[p] == '%' && p + 1 < length && text[p + 1] == '%') ++p;
  }
}

}  // namespace

std::string MsgFormatChecked(const char* format, std::initializer_list<MsgArg> args) {
  if (format == nullptr) return {};
  std::vector<Piece> pieces;
  if (!Parse(format, &pieces) || pieces.size() > args.size()) return format;
  const MsgArg* arg = args.begin();
  for (const Piece& piece : pieces) {
    const bool text = piece.conversion == 's';
    if (text != (arg->kind == MsgArg::kText)) return format;
    ++arg;
  }
  std::string out;
  size_t copied = 0;
  arg = args.begin();
  for (const Piece& piece : pieces) {
    AppendLiteral(&out, format + copied, piece.start - copied);
    int n = arg->kind == MsgArg::kText ? std::snprintf(nullptr, 0, piece.spec.c_str(),
                                                       arg->text != nullptr ? arg->text : "")
                                       : std::snprintf(nullptr, 0, piece.spec.c_str(), arg->number);
    if (n > 0) {
      std::string value(static_cast<size_t>(n) + 1, '\0');
      if (arg->kind == MsgArg::kText) {
        std::snprintf(value.data(), value.size(), piece.spec.c_str(),
                      arg->text != nullptr ? arg->text : "");
      } else {
        std::snprintf(value.data(), value.size(), piece.spec.c_str(), arg->number);
      }
      out.append(value.data(), static_cast<size_t>(n));
    }
    copied = piece.end;
    ++arg;
  }
  AppendLiteral(&out, format + copied, std::strlen(format + copied));
  return out;
}

size_t MsgFormatCheckedTo(char* out, size_t size, const char* format,
                          std::initializer_list<MsgArg> args) {
  if (out == nullptr || size == 0) return 0;
  std::string text = MsgFormatChecked(format, args);
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return n;
}
