// Reads a deliverable's XML message file into a catalogue table.
//
// Format: an "S" element is one message; the value of its first attribute
// (whatever its name) is the identifier, and its character data the text.
// Inside an "S", "STANDARD" and "WIN32" are variant wrappers whose text is
// kept, "DEBUG" and "UNIX" wrappers whose content is ignored. Any end tag
// (other than an ignored wrapper's) ends the message being read and stores
// it, so the first kept wrapper wins and a nested element cuts the text.
#pragma once

#include "common/msg_table.h"
#include "common/safe_string.h"

struct XML_ParserStruct;

class MsgXmlSource : public MsgSource {
 public:
  explicit MsgXmlSource(const SafeString& path);
  MsgXmlSource(const MsgXmlSource&) = delete;
  MsgXmlSource& operator=(const MsgXmlSource&) = delete;

  // Parses the whole file, adding its pairs to `table`. A missing or
  // unreadable file adds nothing; a malformed one keeps the pairs completed
  // before the error.
  void Load(MsgTable& table) override;

  void SetKey(const SafeString& key) { key_.Assign(key); }
  void SetKey(const char* key) { key_.Assign(key); }
  void SetText(const SafeString& text) { text_.Assign(text); }
  void SetText(const char* text) { text_.Assign(text); }
  const SafeString& Key() const { return key_; }
  const SafeString& Text() const { return text_; }
  MsgTable* Target() const { return target_; }

 private:
  static void OnStart(void* self, const char* name, const char** attributes);
  static void OnEnd(void* self, const char* name);
  static void OnText(void* self, const char* text, int length);
  friend MsgXmlSource* MsgXmlSourceNew(const SafeString& path) noexcept;

  SafeString key_;
  SafeString text_;
  MsgTable* target_ = nullptr;
  SafeString path_;
  // Where the parse stands; reset for every load, so that a file whose
  // parse stopped inside a message does not spill into the next one.
  bool in_message_ = false;
  bool skip_ = false;
  // The key or the text of the message being read lost characters for want
  // of memory: the message is dropped rather than stored cut short.
  bool key_lost_ = false;
  bool text_lost_ = false;
};

// A new source over `path`, or null when it cannot be allocated.
MsgXmlSource* MsgXmlSourceNew(const SafeString& path) noexcept;
