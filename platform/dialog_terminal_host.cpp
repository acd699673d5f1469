#include "platform/dialog_terminal_host.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool Interactive(const DlgControlView& control) {
  return control.kind != DlgItemKind::kStatic && control.kind != DlgItemKind::kGroupBox &&
         control.visible;
}

std::string Plain(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '&') out += c == '\t' ? ' ' : c;
  }
  return out;
}

class TerminalHost : public DlgHost {
 public:
  bool CanShowDialogs() override { return Open(); }

  bool NextAction(DlgHwnd dialog, DlgAction* action) override {
    if (!Open()) return false;
    for (;;) {
      DlgView view = DlgSnapshot(dialog);
      std::vector<const DlgControlView*> numbered;
      DrawForm(view, &numbered);
      std::string line;
      if (!Ask("Number of a field or button, Enter for the default button, q to cancel: ", false,
               &line))
        return false;
      if (line.empty()) {
        if (view.default_button == 0) continue;
        action->kind = DlgAction::kClick;
        action->control = view.default_button;
        return true;
      }
      if (line == "q" || line == "Q") {
        action->kind = DlgAction::kClick;
        action->control = IDCANCEL;
        return true;
      }
      char* end = nullptr;
      long chosen = std::strtol(line.c_str(), &end, 10);
      if (*end != '\0' || chosen < 1 || static_cast<size_t>(chosen) > numbered.size()) {
        Say("No such number.\n");
        continue;
      }
      const DlgControlView& control = *numbered[static_cast<size_t>(chosen - 1)];
      if (!control.enabled) {
        Say("That one is disabled.\n");
        continue;
      }
      if (Fill(control, action)) return true;
    }
  }

  int ShowMessageBox(DlgHwnd, const char* text, const char* title, uint32_t type) override {
    if (!Open()) return 0;
    Say(std::string("\n*** ") + title + " ***\n" + text + "\n");
    const uint32_t buttons = type & MB_BUTTONS_MASK;
    for (;;) {
      std::string line;
      if (buttons == MB_YESNO) {
        if (!Ask("(y)es or (n)o: ", false, &line)) return IDNO;
        if (line == "y" || line == "Y") return IDYES;
        if (line == "n" || line == "N") return IDNO;
      } else if (buttons == MB_OKCANCEL) {
        if (!Ask("(o)k or (c)ancel: ", false, &line)) return IDCANCEL;
        if (line == "o" || line == "O" || line.empty()) return IDOK;
        if (line == "c" || line == "C") return IDCANCEL;
      } else {
        Ask("Press Enter: ", false, &line);
        return IDOK;
      }
    }
  }

  bool AskSaveFile(DlgSaveFile* request) override {
    if (!Open()) return false;
    for (;;) {
      std::string line;
      if (!Ask(std::string("Save to file [") + request->file + "] (q cancels): ", false, &line) ||
          line == "q")
        return false;
      if (line.empty()) line = request->file;
      if (line.size() + 1 > request->file_size) {
        Say("That name is too long.\n");
        return false;
      }
      // As the prompt it stands for: a file that is there is replaced only
      // when the user says so; otherwise another name is asked for.
      if ((request->flags & OFN_OVERWRITEPROMPT) != 0 && access(line.c_str(), F_OK) == 0) {
        std::string answer;
        if (!Ask(line + " already exists. Replace it? (y)es or (n)o: ", false, &answer))
          return false;
        if (answer != "y" && answer != "Y") continue;
      }
      line.copy(request->file, line.size());
      request->file[line.size()] = '\0';
      return true;
    }
  }

  void Notify(DlgHwnd dialog, const DlgEvent& event) override {
    if (event.kind == DlgEvent::kShown) {
      // A notice with work behind it is seen before the work starts.
      std::vector<const DlgControlView*> numbered;
      if (Open()) DrawForm(DlgSnapshot(dialog), &numbered);
      return;
    }
    if (fd_ < 0) return;
    switch (event.kind) {
      case DlgEvent::kCursor:
        if (event.value != 0) Say("Please wait...\n");
        break;
      case DlgEvent::kHelp:
        if (event.value != HELP_QUIT)
          Say("Help: " + event.text + " (topic " + std::to_string(event.extra) + ")\n");
        break;
      case DlgEvent::kBeep:
        Say("\a");
        break;
      case DlgEvent::kRefused:
        Say("Not possible: " + event.text + "\n");
        break;
      default:
        break;
    }
  }

 private:
  bool Open() {
    std::lock_guard<std::mutex> hold(lock_);
    if (fd_ < 0) fd_ = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    return fd_ >= 0;
  }

  void Say(const std::string& text) {
    Write(text);
    drawn_.clear();  // the form, if any, has scrolled on
  }

  void Write(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = write(fd_, text.data() + done, text.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

  // The form, unless it is what was drawn last with nothing said since.
  void DrawForm(const DlgView& view, std::vector<const DlgControlView*>* numbered) {
    std::string form = Form(view, numbered);
    if (form == drawn_) return;
    Write(form);
    drawn_ = form;
  }

  // One line from the terminal, without its line end; false at its end.
  bool Ask(const std::string& prompt, bool hidden, std::string* line) {
    Say(prompt);
    termios saved{};
    const bool quiet = hidden && tcgetattr(fd_, &saved) == 0;
    if (quiet) {
      termios silent = saved;
      silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      tcsetattr(fd_, TCSAFLUSH, &silent);
    }
    line->clear();
    bool got = false;
    char c;
    while (read(fd_, &c, 1) == 1) {
      got = true;
      if (c == '\n') break;
      if (c != '\r') *line += c;
    }
    if (quiet) {
      tcsetattr(fd_, TCSAFLUSH, &saved);
      Say("\n");
    }
    return got;
  }

  std::string Form(const DlgView& view, std::vector<const DlgControlView*>* numbered) {
    std::vector<std::string> lines{"", "=== " + view.caption + " ==="};
    std::string label;               // the last label's text, not shown yet
    bool label_after_field = false;  // that label stands right after a field
    bool after_field = false;        // the last control shown is a field
    size_t field_line = 0;           // the line of the last field, 0 for none
    std::string buttons;
    // A label that names no field after it ("hours" after the hours field)
    // goes on the line of the field it follows, else on a line of its own.
    auto flush = [&] {
      if (label.empty()) return;
      if (label_after_field && field_line != 0) {
        lines[field_line] += " " + label;
      } else {
        lines.push_back("    " + label);
      }
      label.clear();
    };
    for (const auto& control : view.controls) {
      if (!control.visible) {
        label.clear();
        after_field = false;
        continue;
      }
      if (control.kind == DlgItemKind::kStatic) {
        flush();
        label = Plain(control.text);
        label_after_field = after_field;
        after_field = false;
        continue;
      }
      if (control.kind == DlgItemKind::kGroupBox) {
        flush();
        lines.push_back("  -- " + Plain(control.text) + " --");
        after_field = false;
        continue;
      }
      if (!Interactive(control)) continue;
      numbered->push_back(&control);
      const std::string number = std::to_string(numbered->size());
      const std::string off = control.enabled ? "" : " (disabled)";
      if (control.kind == DlgItemKind::kButton) {
        flush();
        buttons += "<";
        buttons += Plain(control.text) + ">=" + number +
                   (control.id == view.default_button ? " (Enter)" : "") + off + "   ";
        after_field = false;
        continue;
      }
      std::string line = (number.size() < 2 ? "  " : " ") + number + "  ";
      if (!label.empty()) line += label + " ";
      label.clear();
      switch (control.kind) {
        case DlgItemKind::kCheckBox:
          line += (control.check != 0 ? "[x] " : "[ ] ") + Plain(control.text);
          break;
        case DlgItemKind::kRadioButton:
          line += (control.check != 0 ? "(*) " : "( ) ") + Plain(control.text);
          break;
        case DlgItemKind::kEdit:
          line += (control.style & kDlgPassword) != 0 ? std::string(control.text.size(), '*')
                                                      : control.text;
          break;
        case DlgItemKind::kComboEdit:
        case DlgItemKind::kComboList:
          line += control.text;
          break;
        default:
          break;
      }
      lines.push_back(line + off);
      field_line = lines.size() - 1;
      after_field = true;
      if (control.kind == DlgItemKind::kListBox || control.kind == DlgItemKind::kComboList ||
          control.kind == DlgItemKind::kComboEdit) {
        for (size_t i = 0; i < control.lines.size(); ++i) {
          const bool on = control.LineChosen(i);
          lines.push_back("        " + std::to_string(i + 1) + ")" + (on ? "* " : "  ") +
                          Plain(control.lines[i]));
        }
      }
    }
    flush();
    if (!buttons.empty()) lines.push_back("    " + buttons);
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
  }

  // Asks what the chosen control needs; false when the user changed
  // nothing.
  bool Fill(const DlgControlView& control, DlgAction* action) {
    action->control = control.id;
    std::string line;
    switch (control.kind) {
      case DlgItemKind::kButton:
      case DlgItemKind::kCheckBox:
      case DlgItemKind::kRadioButton:
        action->kind = DlgAction::kClick;
        return true;
      case DlgItemKind::kEdit: {
        const bool hidden = (control.style & kDlgPassword) != 0;
        std::string shown = hidden ? std::string(control.text.size(), '*') : control.text;
        if (!Ask("New value [" + shown + "] (Enter keeps it, - empties it): ", hidden, &line) ||
            line.empty())
          return false;
        action->kind = DlgAction::kType;
        action->text = line == "-" ? "" : line;
        return true;
      }
      case DlgItemKind::kComboEdit:
        if (!Ask("New value, or #n for line n (Enter keeps it): ", false, &line) || line.empty())
          return false;
        if (line[0] == '#') return Lines(line.substr(1), action, false);
        action->kind = DlgAction::kType;
        action->text = line;
        return true;
      case DlgItemKind::kComboList:
        if (!Ask("Line number: ", false, &line) || line.empty()) return false;
        return Lines(line, action, false);
      case DlgItemKind::kListBox:
        if (!Ask((control.style & kDlgMultiSel) != 0
                     ? "Line numbers to select (e.g. 1 3), or n! to open line n: "
                     : "Line number, or n! to open line n: ",
                 false, &line) ||
            line.empty())
          return false;
        return Lines(line, action, true);
      default:
        return false;
    }
  }

  bool Lines(const std::string& text, DlgAction* action, bool may_open) {
    std::string words = text;
    bool open = false;
    if (may_open && !words.empty() && words.back() == '!') {
      open = true;
      words.pop_back();
    }
    std::istringstream in(words);
    int number;
    action->lines.clear();
    while (in >> number) action->lines.push_back(number - 1);
    if (action->lines.empty() || !in.eof()) {
      Say("Give line numbers.\n");
      return false;
    }
    action->kind = open ? DlgAction::kDoubleClick : DlgAction::kSelect;
    return true;
  }

  std::mutex lock_;
  int fd_ = -1;
  std::string drawn_;  // the form drawn last, while nothing else was said
};

}  // namespace

DlgHost* DlgTerminalHost() {
  static TerminalHost host;
  return &host;
}
