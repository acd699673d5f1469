#include "testing/dialog_scripted_host.h"

#include <fstream>
#include <sstream>

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i > 0 ? "|" : "") + lines[i];
  return out;
}

std::string ProbeLine(const DlgControlView& control) {
  std::string selected;
  for (size_t i = 0; i < control.lines.size(); ++i) {
    if (!control.LineChosen(i)) continue;
    if (!selected.empty()) selected += ",";
    selected += std::to_string(i);
  }
  return "probe " + std::to_string(control.id) + " enabled=" + (control.enabled ? "1" : "0") +
         " visible=" + (control.visible ? "1" : "0") + " check=" + std::to_string(control.check) +
         " text=" + control.text + " lines=" + Joined(control.lines) + " sel=" + selected;
}

int DefaultButton(uint32_t type) {
  const bool second = (type & MB_DEFBUTTON2) != 0;
  switch (type & MB_BUTTONS_MASK) {
    case MB_YESNO:
      return second ? IDNO : IDYES;
    case MB_OKCANCEL:
      return second ? IDCANCEL : IDOK;
    default:
      return IDOK;
  }
}

bool ReadInt(std::istringstream& in, int* value) {
  return static_cast<bool>(in >> *value);
}

}  // namespace

ScriptedDlgHost::~ScriptedDlgHost() {
  if (record_file_ != nullptr) std::fclose(record_file_);
}

std::unique_ptr<ScriptedDlgHost> ScriptedDlgHost::FromFiles(const char* script, const char* record,
                                                            Snapshot snapshot) {
  auto host = std::make_unique<ScriptedDlgHost>(snapshot);
  if (script != nullptr && script[0] != '\0') {
    std::ifstream in(script);
    if (!in) return nullptr;
    std::stringstream text;
    text << in.rdbuf();
    if (!host->AddScript(text.str())) return nullptr;
  }
  if (record != nullptr && record[0] != '\0') {
    host->record_file_ = std::fopen(record, "a");
    if (host->record_file_ == nullptr) return nullptr;
  }
  return host;
}

bool ScriptedDlgHost::AddScript(const std::string& text) {
  ScriptedDlgHost parsed(snapshot_);
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') continue;
    int id = 0;
    if (word == "type") {
      if (!ReadInt(in, &id)) return false;
      std::string rest;
      std::getline(in, rest);
      if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
      parsed.Type(id, rest);
    } else if (word == "click") {
      if (!ReadInt(in, &id)) return false;
      parsed.Click(id);
    } else if (word == "select" || word == "dblclick") {
      if (!ReadInt(in, &id)) return false;
      std::vector<int> chosen;
      int value;
      while (in >> value) chosen.push_back(value);
      if (chosen.empty()) return false;
      if (word == "select") {
        parsed.Select(id, chosen);
      } else {
        parsed.DoubleClick(id, chosen[0]);
      }
    } else if (word == "answer") {
      if (!ReadInt(in, &id)) return false;
      parsed.Answer(id);
    } else if (word == "save") {
      std::string path;
      if (!(in >> path)) return false;
      parsed.SaveAs(path);
    } else if (word == "nosave") {
      parsed.CancelSave();
    } else if (word == "probe") {
      parsed.Probe();
    } else if (word == "capacity") {
      int lines_held = 0;
      if (!ReadInt(in, &id) || !ReadInt(in, &lines_held) || lines_held < 0) return false;
      parsed.SetListCapacity(id, static_cast<size_t>(lines_held));
    } else if (word == "desktop") {
      DlgRect rect;
      if (!(in >> rect.left >> rect.top >> rect.right >> rect.bottom)) return false;
      parsed.SetDesktop(rect);
    } else {
      return false;
    }
  }
  for (auto& entry : parsed.queue_) queue_.push_back(entry);
  for (auto& [control, lines_held] : parsed.capacity_) capacity_[control] = lines_held;
  if (parsed.desktop_given_) SetDesktop(parsed.desktop_);
  return true;
}

ScriptedDlgHost& ScriptedDlgHost::Type(int control, const std::string& text) {
  Entry entry{Entry::kAction, {}, 0, {}};
  entry.action.kind = DlgAction::kType;
  entry.action.control = control;
  entry.action.text = text;
  queue_.push_back(entry);
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::Click(int control) {
  Entry entry{Entry::kAction, {}, 0, {}};
  entry.action.kind = DlgAction::kClick;
  entry.action.control = control;
  queue_.push_back(entry);
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::Select(int control, std::vector<int> lines) {
  Entry entry{Entry::kAction, {}, 0, {}};
  entry.action.kind = DlgAction::kSelect;
  entry.action.control = control;
  entry.action.lines = std::move(lines);
  queue_.push_back(entry);
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::DoubleClick(int control, int line) {
  Entry entry{Entry::kAction, {}, 0, {}};
  entry.action.kind = DlgAction::kDoubleClick;
  entry.action.control = control;
  entry.action.lines = {line};
  queue_.push_back(entry);
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::Answer(int button) {
  queue_.push_back(Entry{Entry::kAnswer, {}, button, {}});
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::SaveAs(const std::string& path) {
  queue_.push_back(Entry{Entry::kSave, {}, 0, path});
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::CancelSave() {
  queue_.push_back(Entry{Entry::kNoSave, {}, 0, {}});
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::Probe() {
  Entry entry{Entry::kAction, {}, 0, {}};
  entry.action.kind = DlgAction::kProbe;
  queue_.push_back(entry);
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::SetListCapacity(int control, size_t lines) {
  capacity_[control] = lines;
  return *this;
}

ScriptedDlgHost& ScriptedDlgHost::SetDesktop(const DlgRect& desktop) {
  desktop_ = desktop;
  desktop_given_ = true;
  return *this;
}

std::vector<std::string> ScriptedDlgHost::Lines(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const auto& line : record_) {
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  }
  return found;
}

void ScriptedDlgHost::Write(const std::string& line) {
  record_.push_back(line);
  if (record_file_ != nullptr) {
    std::fprintf(record_file_, "%s\n", line.c_str());
    std::fflush(record_file_);
  }
}

void ScriptedDlgHost::DropUnused(Entry::Kind kind) {
  // Answers and files left at the front belong to a box or a prompt that
  // never came: they are recorded and dropped, not given to the next one.
  while (!queue_.empty() && queue_.front().kind != kind && queue_.front().kind != Entry::kAction) {
    const Entry& entry = queue_.front();
    Write(entry.kind == Entry::kAnswer ? "unused answer " + std::to_string(entry.answer)
                                       : "unused save " + entry.path);
    queue_.pop_front();
  }
}

bool ScriptedDlgHost::NextAction(DlgHwnd dialog, DlgAction* action) {
  DropUnused(Entry::kAction);
  if (queue_.empty()) return false;
  *action = queue_.front().action;
  queue_.pop_front();
  if (action->kind == DlgAction::kProbe) {
    for (const auto& control : snapshot_(dialog).controls) {
      if (control.id != IDC_STATIC) Write(ProbeLine(control));
    }
  }
  return true;
}

int ScriptedDlgHost::ShowMessageBox(DlgHwnd, const char* text, const char* title, uint32_t type) {
  int answer = DefaultButton(type);
  bool queued = false;
  if (!queue_.empty() && queue_.front().kind == Entry::kAnswer) {
    answer = queue_.front().answer;
    queue_.pop_front();
    queued = true;
  }
  Write("box " + std::to_string(type) + " " + title + "|" + text + " -> " + std::to_string(answer) +
        (queued ? "" : " (default)"));
  return answer;
}

bool ScriptedDlgHost::AskSaveFile(DlgSaveFile* request) {
  DropUnused(Entry::kSave);
  if (queue_.empty() ||
      (queue_.front().kind != Entry::kSave && queue_.front().kind != Entry::kNoSave)) {
    Write("save cancelled");
    return false;
  }
  Entry entry = queue_.front();
  queue_.pop_front();
  if (entry.kind == Entry::kNoSave || entry.path.size() + 1 > request->file_size) {
    Write("save cancelled");
    return false;
  }
  std::copy(entry.path.begin(), entry.path.end(), request->file);
  request->file[entry.path.size()] = '\0';
  Write("save " + entry.path);
  return true;
}

void ScriptedDlgHost::Notify(DlgHwnd, const DlgEvent& event) {
  const std::string id = std::to_string(event.control);
  switch (event.kind) {
    case DlgEvent::kOpen:
      Write("open " + event.text);
      break;
    case DlgEvent::kEnd:
      Write("end " + std::to_string(event.value));
      break;
    case DlgEvent::kFocus:
      Write("focus " + id);
      break;
    case DlgEvent::kEnable:
      Write("enable " + id + " " + std::to_string(event.value));
      break;
    case DlgEvent::kShow:
      Write("show " + id + " " + std::to_string(event.value));
      break;
    case DlgEvent::kCaption:
      Write("caption " + event.text);
      break;
    case DlgEvent::kHelp:
      Write("help " + std::to_string(event.value) + " " + std::to_string(event.extra) + " " +
            event.text);
      break;
    case DlgEvent::kBeep:
      Write("beep " + std::to_string(event.value));
      break;
    case DlgEvent::kCursor:
      Write(event.value != 0 ? "cursor wait" : "cursor arrow");
      break;
    case DlgEvent::kForeground:
      Write("foreground " + event.text);
      break;
    case DlgEvent::kRefused:
      Write("refused " + id + " " + event.text);
      break;
    case DlgEvent::kShown:
      break;  // every dialog is: the record keeps what the procedures do
  }
}

size_t ScriptedDlgHost::ListCapacity(DlgHwnd, int control) {
  auto found = capacity_.find(control);
  return found != capacity_.end() ? found->second : DlgHost::ListCapacity(nullptr, control);
}
