#include "common/msg_xml_source.h"

#include <expat.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr size_t kChunk = 512;

bool Named(const char* name, const char* wanted) {
  return std::strcmp(name, wanted) == 0;
}

// False when the characters could not all be appended. The flag of `s` says
// only that something failed once; the length says whether this did.
bool AppendBytes(SafeString& s, const char* bytes, size_t n) {
  SafeString piece(bytes, n);
  if (piece.Failed()) return false;
  size_t before = s.Length();
  s.Append(piece);
  return s.Length() == before + n;
}

}  // namespace

MsgXmlSource::MsgXmlSource(const SafeString& path) {
  path_.Assign(path);
}

MsgXmlSource* MsgXmlSourceNew(const SafeString& path) noexcept {
  auto* source = new (std::nothrow) MsgXmlSource(path);
  if (source != nullptr && source->path_.Failed()) {
    delete source;
    return nullptr;
  }
  return source;
}

void MsgXmlSource::OnStart(void* self, const char* name, const char** attributes) {
  auto* source = static_cast<MsgXmlSource*>(self);
  if (Named(name, "S")) {
    // Attributes come as name, value pairs; the first value is the key.
    const char* key = attributes[0] != nullptr ? attributes[1] : "";
    source->key_.Clear();
    source->key_lost_ = !AppendBytes(source->key_, key, std::strlen(key));
    source->in_message_ = true;
    return;
  }
  bool ignored = Named(name, "DEBUG") || Named(name, "UNIX");
  if (ignored || Named(name, "STANDARD") || Named(name, "WIN32")) {
    source->text_.Clear();
    source->text_lost_ = false;
  }
  if (ignored) source->skip_ = true;
}

void MsgXmlSource::OnEnd(void* self, const char*) {
  auto* source = static_cast<MsgXmlSource*>(self);
  if (source->skip_) {
    source->skip_ = false;
    return;
  }
  source->in_message_ = false;
  if (!source->key_lost_ && !source->text_lost_) source->target_->Add(source->key_, source->text_);
  source->key_.Clear();
  source->text_.Clear();
  source->key_lost_ = source->text_lost_ = false;
}

void MsgXmlSource::OnText(void* self, const char* text, int length) {
  auto* source = static_cast<MsgXmlSource*>(self);
  if (length == 0 || !source->in_message_ || source->skip_) return;
  if (!AppendBytes(source->text_, text, static_cast<size_t>(length))) source->text_lost_ = true;
}

void MsgXmlSource::Load(MsgTable& table) {
  if (path_.IsEmpty()) return;
  std::FILE* file = std::fopen(path_.CStr(), "r");
  if (file == nullptr) return;
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) {
    std::fclose(file);
    return;
  }
  target_ = &table;
  in_message_ = false;
  skip_ = false;
  key_lost_ = text_lost_ = false;
  key_.Clear();
  text_.Clear();
  XML_SetUserData(parser, this);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnText);

  char chunk[kChunk];
  for (;;) {
    size_t got = std::fread(chunk, 1, sizeof chunk, file);
    bool final = got < sizeof chunk;
    if (XML_Parse(parser, chunk, static_cast<int>(got), final) != XML_STATUS_OK || final) break;
  }
  XML_ParserFree(parser);
  std::fclose(file);
  target_ = nullptr;
}
