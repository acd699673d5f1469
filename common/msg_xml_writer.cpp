#include "common/msg_xml_writer.h"

#include <cstdio>
#include <string>

namespace {

// Length of the UTF-8 sequence at `s` (at most `left` bytes), 0 when it is
// not one: a stray continuation byte, a cut or overlong sequence, a
// surrogate or a code point beyond U+10FFFF.
size_t Utf8Length(const unsigned char* s, size_t left) {
  unsigned char lead = s[0];
  size_t length;
  unsigned int min, code;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (length > left) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (s[i] & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// `text` escaped for character data and attribute values alike; false when
// XML cannot carry it. Tab, line feed and carriage return go as character
// references, which the parser hands back unchanged where literal ones
// would be normalised.
bool Escape(const char* text, std::string* out) {
  out->clear();
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  size_t left = std::char_traits<char>::length(text);
  while (left > 0) {
    unsigned char c = *s;
    size_t n = 1;
    switch (c) {
      case '&':
        *out += "&amp;";
        break;
      case '<':
        *out += "&lt;";
        break;
      case '>':
        *out += "&gt;";
        break;
      case '"':
        *out += "&quot;";
        break;
      case '\t':
        *out += "&#9;";
        break;
      case '\n':
        *out += "&#10;";
        break;
      case '\r':
        *out += "&#13;";
        break;
      default:
        if (c < 0x20) return false;
        n = Utf8Length(s, left);
        if (n == 0) return false;
        out->append(reinterpret_cast<const char*>(s), n);
    }
    s += n;
    left -= n;
  }
  return true;
}

bool WriteRows(std::FILE* file, const MsgDefault* rows) {
  std::string id, text;
  for (; rows != nullptr && rows->number != 0; ++rows) {
    if (!Escape(rows->identifier != nullptr ? rows->identifier : "", &id) ||
        !Escape(rows->text != nullptr ? rows->text : "", &text)) {
      std::fprintf(stderr, "message %s cannot be written as XML\n", rows->identifier);
      return false;
    }
    if (std::fprintf(file, "  <S id=\"%s\">%s</S>\n", id.c_str(), text.c_str()) < 0) return false;
  }
  return true;
}

}  // namespace

int MsgWriteXmlFile(const char* path, const MsgDefault* const* tables, size_t count) {
  if (path == nullptr) return 0;
  std::FILE* file = std::fopen(path, "w");
  if (file == nullptr) return 0;
  bool ok = std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MESSAGES>\n", file) >= 0;
  for (size_t t = 0; ok && t < count; ++t) ok = WriteRows(file, tables[t]);
  ok = ok && std::fputs("</MESSAGES>\n", file) >= 0;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::remove(path);
  return ok ? 1 : 0;
}
