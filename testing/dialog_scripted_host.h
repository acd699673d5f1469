// The host of the tests: the user's actions come from a queue given in
// advance, and everything the dialogs show or do is recorded as lines.
//
//   ScriptedDlgHost host;
//   host.Type(103, "a;b").Click(IDOK).Answer(IDOK).Click(IDCANCEL);
//   DlgHost* before = DlgUseHost(&host);
//   ... run the code that shows the dialog ...
//   DlgUseHost(before);
//   host.Record();  // {"open 100", "caption Logon to demo", "focus 103", ...,
//                   //  "box 48 Logon to |User Name must not contain ... -> 1", ..., "end 2"}
//
// Record lines:
//   open <template name or number>        end <code>
//   focus <id>                            enable <id> <0|1>       show <id> <0|1>
//   caption <text>                        help <command> <data> <file>
//   beep <type>                           cursor wait|arrow       foreground <caption>
//   box <type> <title>|<text> -> <answer> (" (default)" when no answer was queued)
//   save <path> | save cancelled          refused <id> <why>
//   probe <id> enabled=<0|1> visible=<0|1> check=<n> text=<text> lines=<a|b> sel=<i,j>
//   unused <what>                          (a queued answer or file nobody asked for)
//
// A message box takes the queued answer at the front of the queue, or its
// default button (the first, or the second with MB_DEFBUTTON2) when the
// front is not an answer. When the queue is empty the dialog is
// cancelled, so a test never waits.
//
// The same host reads a script file, one entry per line (for a process the
// test starts, or a library it loads, VELTO_DIALOG_HOST names the host
// module dialog_host_module.cpp, VELTO_DIALOG_SCRIPT the script and
// VELTO_DIALOG_RECORD the record file):
//   type <id> <text to the end of the line>
//   click <id>
//   select <id> <line> [<line>...]
//   dblclick <id> <line>
//   answer <id>
//   save <path>  |  nosave
//   probe
//   capacity <id> <lines>
//   desktop <left> <top> <right> <bottom>
// and appends each record line to the record file as it happens.
#pragma once

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog_host.h"

class ScriptedDlgHost : public DlgHost {
 public:
  // What the user sees of a dialog, for probes: the process's own dialogs
  // unless a host module is handed the snapshot of the library that loaded
  // it.
  using Snapshot = DlgView (*)(DlgHwnd dialog);

  explicit ScriptedDlgHost(Snapshot snapshot = DlgSnapshot) : snapshot_(snapshot) {}
  ~ScriptedDlgHost() override;
  ScriptedDlgHost(const ScriptedDlgHost&) = delete;
  ScriptedDlgHost& operator=(const ScriptedDlgHost&) = delete;

  // The host of a script file (null: an empty queue) recording into a file
  // (null: kept in memory only). Null when the script cannot be read or has
  // a line it does not know.
  static std::unique_ptr<ScriptedDlgHost> FromFiles(const char* script, const char* record,
                                                    Snapshot snapshot = DlgSnapshot);
  // Adds the entries of a script text; false (nothing added) on a bad line.
  bool AddScript(const std::string& text);

  ScriptedDlgHost& Type(int control, const std::string& text);
  ScriptedDlgHost& Click(int control);
  ScriptedDlgHost& Select(int control, std::vector<int> lines);
  ScriptedDlgHost& DoubleClick(int control, int line);
  ScriptedDlgHost& Answer(int button);
  ScriptedDlgHost& SaveAs(const std::string& path);
  ScriptedDlgHost& CancelSave();
  ScriptedDlgHost& Probe();
  ScriptedDlgHost& SetListCapacity(int control, size_t lines);
  ScriptedDlgHost& SetDesktop(const DlgRect& desktop);

  const std::vector<std::string>& Record() const { return record_; }
  // The record lines that begin with `prefix`.
  std::vector<std::string> Lines(const std::string& prefix) const;
  // Actions not yet taken.
  size_t Pending() const { return queue_.size(); }

  bool NextAction(DlgHwnd dialog, DlgAction* action) override;
  int ShowMessageBox(DlgHwnd owner, const char* text, const char* title, uint32_t type) override;
  bool AskSaveFile(DlgSaveFile* request) override;
  void Notify(DlgHwnd dialog, const DlgEvent& event) override;
  DlgRect Desktop() override { return desktop_; }
  size_t ListCapacity(DlgHwnd dialog, int control) override;

 private:
  struct Entry {
    enum Kind : uint8_t { kAction, kAnswer, kSave, kNoSave } kind;
    DlgAction action;
    int answer = 0;
    std::string path;
  };
  void Write(const std::string& line);
  void DropUnused(Entry::Kind kind);

  Snapshot snapshot_;
  std::deque<Entry> queue_;
  std::vector<std::string> record_;
  std::map<int, size_t> capacity_;
  DlgRect desktop_{0, 0, 1024, 768};
  bool desktop_given_ = false;
  FILE* record_file_ = nullptr;
};
