#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog_host.h"
#include "testing/dialog_scripted_host.h"

namespace {

// A procedure made of a test's lambda, handed over as the parameter.
using Handler = std::function<DlgResult(DlgHwnd, uint32_t, DlgWParam, DlgLParam)>;

DlgResult LambdaProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtr(dialog, DWL_USER, lparam);
  auto* handler = reinterpret_cast<Handler*>(GetWindowLongPtr(dialog, DWL_USER));
  return handler != nullptr ? (*handler)(dialog, message, wparam, lparam) : 0;
}

// Ends with the id of any button clicked.
DlgResult EndOnButtons(DlgHwnd dialog, uint32_t message, DlgWParam wparam) {
  if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED &&
      (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL))
    EndDialog(dialog, LOWORD(wparam));
  return 0;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = PlatModuleLoadFile(VEL_TEST_DIALOGS);
    ASSERT_NE(module_, nullptr);
    before_ = DlgUseHost(&host_);
  }
  void TearDown() override {
    DlgUseHost(before_);
    PlatModuleFree(module_);
  }
  DlgResult Run(Handler handler, DlgRes which = 100, DlgHwnd parent = nullptr) {
    return DialogBoxParam(module_, which, parent, LambdaProc,
                          reinterpret_cast<DlgLParam>(&handler));
  }

  PlatModule module_ = nullptr;
  DlgHost* before_ = nullptr;
  ScriptedDlgHost host_;
};

TEST_F(DialogTest, FindsTemplatesByNumberOrNameInTheLoadedModule) {
  const DlgTemplate* form = DlgFindTemplate(module_, 100);
  ASSERT_NE(form, nullptr);
  EXPECT_STREQ(form->caption, "Form");
  const DlgTemplate* notice = DlgFindTemplate(module_, "notice");
  ASSERT_NE(notice, nullptr);
  EXPECT_STREQ(notice->caption, "Notice");
  EXPECT_EQ(DlgFindTemplate(module_, 999), nullptr);
  EXPECT_EQ(DlgFindTemplate(module_, "FORM"), nullptr);
  EXPECT_EQ(DlgFindTemplate(nullptr, 100), nullptr);
  EXPECT_EQ(DialogBoxParam(module_, 999, nullptr, LambdaProc, 0), -1);
}

TEST_F(DialogTest, TheNoneHostCreatesNoDialog) {
  DlgUseHost(DlgNoneHost());
  bool called = false;
  EXPECT_EQ(Run([&](DlgHwnd, uint32_t, DlgWParam, DlgLParam) {
              called = true;
              return DlgResult{0};
            }),
            -1);
  EXPECT_FALSE(called);
  EXPECT_EQ(MessageBox(nullptr, "text", "title", MB_OK), 0);
}

TEST_F(DialogTest, PostedMessagesArriveAfterTheCurrentMessageInOrder) {
  std::vector<std::string> seen;
  host_.Click(IDOK);
  DlgResult result = Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    switch (message) {
      case WM_INITDIALOG:
        seen.push_back("init");
        PostMessage(dialog, WM_APP + 1, 0, 0);
        PostMessage(GetDlgItem(dialog, 10), WM_APP + 2, 0, 0);  // to the control's dialog
        SendMessage(dialog, WM_APP + 3, 0, 0);
        seen.push_back("init done");
        return DlgResult{1};
      case WM_APP + 1:
        seen.push_back("app1");
        PostMessage(dialog, WM_APP + 4, 0, 0);
        return DlgResult{0};
      case WM_APP + 2:
        seen.push_back("app2");
        return DlgResult{0};
      case WM_APP + 3:
        seen.push_back("app3");
        return DlgResult{0};
      case WM_APP + 4:
        seen.push_back("app4");
        return DlgResult{0};
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
          seen.push_back("ok");
          EndDialog(dialog, 7);
          PostMessage(dialog, WM_APP + 2, 0, 0);  // the dialog is over: dropped
        }
        return DlgResult{0};
    }
    return DlgResult{0};
  });
  EXPECT_EQ(result, 7);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"init", "app3", "init done", "app1", "app2", "app4", "ok"}));
  EXPECT_EQ(host_.Record().back(), "end 7");
}

TEST_F(DialogTest, TabOrderSkipsHiddenAndDisabledControlsAndWraps) {
  host_.Click(IDOK);
  Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    if (message == WM_INITDIALOG) {
      auto next = [&](int id, bool previous) {
        return GetDlgCtrlID(GetNextDlgTabItem(dialog, GetDlgItem(dialog, id), previous));
      };
      EXPECT_EQ(next(10, false), 11);
      EXPECT_EQ(next(17, false), IDOK);  // 18 hidden, 19 disabled
      EXPECT_EQ(next(IDCANCEL, false), 10);
      EXPECT_EQ(next(10, true), IDCANCEL);
      DlgHwnd before = GetWindow(GetDlgItem(dialog, 11), GW_HWNDPREV);
      char text[32];
      GetWindowText(before, text, sizeof text);
      EXPECT_STREQ(text, "&Secret:");
      EXPECT_EQ(DlgControlLabel(dialog, 11), "Secret:");
      EXPECT_EQ(GetWindow(GetDlgItem(dialog, 20), GW_HWNDNEXT), nullptr);
      return DlgResult{1};  // the layer focuses the first tab stop
    }
    if (message == WM_COMMAND && LOWORD(wparam) == IDOK) {
      EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDOK);  // clicking focuses
      EndDialog(dialog, 1);
    }
    return DlgResult{0};
  });
}

TEST_F(DialogTest, FocusAfterInitIsTheFirstTabStopUnlessTheProcedureSetIt) {
  for (bool set_focus : {false, true}) {
    int focus = 0;
    host_.Probe();
    Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
      if (message == WM_INITDIALOG) {
        if (!set_focus) return DlgResult{1};
        SetFocus(GetDlgItem(dialog, 17));
        return DlgResult{0};
      }
      if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
        focus = GetDlgCtrlID(GetFocus());
        EndDialog(dialog, 2);
      }
      return DlgResult{0};
    });
    EXPECT_EQ(focus, set_focus ? 17 : 10);
  }
}

TEST_F(DialogTest, ListBoxesKeepLinesSelectionAndRoom) {
  host_.SetListCapacity(16, 3);
  host_.Select(15, {0, 2}).DoubleClick(16, 1).Select(16, {0, 1}).Click(IDOK);
  std::vector<std::string> notes;
  Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    if (message == WM_INITDIALOG) {
      auto send = [&](int id, uint32_t m, DlgWParam w, const char* l) {
        return SendDlgItemMessage(dialog, id, m, w, reinterpret_cast<DlgLParam>(l));
      };
      EXPECT_EQ(send(16, LB_ADDSTRING, 0, "b"), 0);
      EXPECT_EQ(send(16, LB_ADDSTRING, 0, "c"), 1);
      EXPECT_EQ(send(16, LB_SETCURSEL, 1, nullptr), 1);
      EXPECT_EQ(send(16, LB_INSERTSTRING, 0, "a"), 0);
      EXPECT_EQ(send(16, LB_GETCURSEL, 0, nullptr), 2);  // moved with its line
      EXPECT_EQ(send(16, LB_ADDSTRING, 0, "d"), LB_ERRSPACE);
      EXPECT_EQ(send(16, LB_INSERTSTRING, 9, "x"), LB_ERR);
      EXPECT_EQ(send(16, LB_DELETESTRING, 2, nullptr), 2);
      EXPECT_EQ(send(16, LB_GETCURSEL, 0, nullptr), LB_ERR);
      EXPECT_EQ(send(16, LB_SETSEL, 1, nullptr), LB_ERR);  // single selection
      char line[2];
      EXPECT_EQ(DlgGetListText(dialog, 16, 1, line, sizeof line), 1);
      EXPECT_STREQ(line, "b");
      EXPECT_EQ(DlgGetListText(dialog, 16, 5, line, sizeof line), LB_ERR);
      for (const char* text : {"x", "y", "z"}) send(15, LB_ADDSTRING, 0, text);
      EXPECT_EQ(SendDlgItemMessage(dialog, 15, LB_SETSEL, 1, -1), LB_OKAY);
      EXPECT_EQ(send(15, LB_GETSELCOUNT, 0, nullptr), 3);
      EXPECT_EQ(SendDlgItemMessage(dialog, 15, LB_SETSEL, 0, 1), LB_OKAY);
      int32_t items[4] = {};
      EXPECT_EQ(
          SendDlgItemMessage(dialog, 15, LB_GETSELITEMS, 4, reinterpret_cast<DlgLParam>(items)), 2);
      EXPECT_EQ(items[0], 0);
      EXPECT_EQ(items[1], 2);
      const int32_t stops[] = {148, 180};
      SendDlgItemMessage(dialog, 16, LB_SETTABSTOPS, 2, reinterpret_cast<DlgLParam>(stops));
      EXPECT_EQ(DlgSnapshot(dialog).controls[8].tab_stops, (std::vector<int>{148, 180}));
      EXPECT_EQ(send(15, LB_GETCOUNT, 0, nullptr), 3);
      send(15, LB_RESETCONTENT, 0, nullptr);
      EXPECT_EQ(send(15, LB_GETCOUNT, 0, nullptr), 0);
      for (const char* text : {"x", "y", "z"}) send(15, LB_ADDSTRING, 0, text);
      return DlgResult{1};
    }
    if (message == WM_COMMAND) {
      int id = LOWORD(wparam);
      if (id == 15 || id == 16) {
        notes.push_back(std::to_string(id) + ":" + std::to_string(HIWORD(wparam)));
        if (id == 15) {
          EXPECT_EQ(SendDlgItemMessage(dialog, 15, LB_GETSELCOUNT, 0, 0), 2);
        } else {
          EXPECT_EQ(SendDlgItemMessage(dialog, 16, LB_GETCURSEL, 0, 0), 1);
        }
      }
      if (id == IDOK) EndDialog(dialog, 1);
    }
    return DlgResult{0};
  });
  EXPECT_EQ(notes, (std::vector<std::string>{"15:1", "16:1", "16:2"}));
  EXPECT_EQ(host_.Lines("refused"),
            (std::vector<std::string>{"refused 16 one line must be chosen"}));
}

TEST_F(DialogTest, UserActionsBehaveAsTheControlsDo) {
  host_.Type(10, "abcdefghij")
      .Click(12)
      .Click(14)
      .Click(19)
      .Click(18)
      .Type(12, "x")
      .Type(17, "srv")
      .Select(17, {1})
      .Click(99)
      .Probe()
      .Click(IDOK);
  std::vector<std::string> notes;
  Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    if (message == WM_INITDIALOG) {
      CheckRadioButton(dialog, 13, 14, 13);
      SendDlgItemMessage(dialog, 17, CB_ADDSTRING, 0, reinterpret_cast<DlgLParam>("one"));
      SendDlgItemMessage(dialog, 17, CB_ADDSTRING, 0, reinterpret_cast<DlgLParam>("two"));
      return DlgResult{1};
    }
    if (message == WM_COMMAND) {
      char text[64];
      GetDlgItemText(dialog, LOWORD(wparam), text, sizeof text);
      notes.push_back(std::to_string(LOWORD(wparam)) + ":" + std::to_string(HIWORD(wparam)) + ":" +
                      text);
      if (LOWORD(wparam) == IDOK) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, 12), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, 13), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, 14), BST_CHECKED);
        EndDialog(dialog, 1);
      }
    }
    return DlgResult{0};
  });
  EXPECT_EQ(notes, (std::vector<std::string>{"10:768:abcdefgh", "12:0:&Remember", "14:0:&Hourly",
                                             "17:5:srv", "17:512:srv", "17:1:two", "17:512:two",
                                             "1:0:OK"}));
  EXPECT_EQ(host_.Lines("refused"),
            (std::vector<std::string>{"refused 19 disabled", "refused 18 hidden",
                                      "refused 12 not an edit field", "refused 99 no control 99"}));
  auto probe = host_.Lines("probe 10 ");
  ASSERT_EQ(probe.size(), 1u);
  EXPECT_EQ(probe[0], "probe 10 enabled=1 visible=1 check=0 text=abcdefgh lines= sel=");
}

TEST(DialogGeometry, CentredRectStaysInsideTheDesktop) {
  const DlgRect desktop{0, 0, 1000, 800};
  struct Case {
    DlgRect window, over, expected;
  } cases[] = {
      {{0, 0, 200, 100}, desktop, {400, 350, 600, 450}},
      {{0, 0, 200, 100}, {100, 100, 300, 300}, {100, 150, 300, 250}},
      // Over a parent near the right and bottom edges: pulled back.
      {{0, 0, 200, 100}, {900, 750, 1100, 850}, {800, 700, 1000, 800}},
      // Over a parent off the top left: moved to 0.
      {{0, 0, 200, 100}, {-300, -300, -100, -100}, {0, 0, 200, 100}},
      // Larger than the desktop: its top left corner stays visible.
      {{0, 0, 1200, 900}, desktop, {0, 0, 1200, 900}},
  };
  for (const auto& c : cases) {
    DlgRect got = DlgCenteredRect(c.window, c.over, desktop);
    EXPECT_EQ(got.left, c.expected.left);
    EXPECT_EQ(got.top, c.expected.top);
    EXPECT_EQ(got.right, c.expected.right);
    EXPECT_EQ(got.bottom, c.expected.bottom);
  }
}

TEST_F(DialogTest, NestedDialogCentresOverItsParentAndResizes) {
  host_.SetDesktop(DlgRect{0, 0, 800, 600});
  host_.Click(IDOK);  // taken by the inner dialog
  DlgRect inner{};
  DlgRect control{};
  Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    if (message == WM_INITDIALOG) {
      DlgCenterOverParent(dialog);
      DlgRect outer;
      GetWindowRect(dialog, &outer);
      EXPECT_EQ(outer.left, 200);  // 400 wide on 800
      EXPECT_EQ(outer.top, 110);   // 380 high on 600
      PostMessage(dialog, WM_APP, 0, 0);
      return DlgResult{1};
    }
    if (message == WM_APP) {
      Handler notice = [&](DlgHwnd box, uint32_t m, DlgWParam, DlgLParam) {
        if (m == WM_INITDIALOG) {
          DlgCenterOverParent(box);
          GetWindowRect(box, &inner);
          EndDialog(box, 5);
        }
        return DlgResult{0};
      };
      DlgResult inner_result = DialogBoxParam(module_, "NOTICE", dialog, LambdaProc,
                                              reinterpret_cast<DlgLParam>(&notice));
      EXPECT_EQ(inner_result, 5);
      // Keeping width and position, the bottom goes 10 below control 15.
      GetWindowRect(GetDlgItem(dialog, 15), &control);
      DlgRect outer;
      GetWindowRect(dialog, &outer);
      MoveWindow(dialog, outer.left, outer.top, outer.right - outer.left,
                 control.bottom + 10 - outer.top);
      GetWindowRect(dialog, &outer);
      EXPECT_EQ(outer.bottom, control.bottom + 10);
      return DlgResult{0};
    }
    return EndOnButtons(dialog, message, wparam);
  });
  EXPECT_EQ(inner.left, 200 + (400 - 240) / 2);
  EXPECT_EQ(inner.top, 110 + (380 - 40) / 2);
  EXPECT_EQ(control.top, 110 + 120);
}

TEST_F(DialogTest, MessageBoxesTakeQueuedAnswersElseTheirDefault) {
  host_.Answer(IDNO).Answer(IDYES).Click(IDOK);
  std::vector<int> answers;
  Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    if (message == WM_INITDIALOG) {
      answers.push_back(MessageBox(dialog, "Sure?", "Q", MB_YESNO | MB_ICONQUESTION));
      answers.push_back(MessageBox(dialog, "Sure?", "Q", MB_YESNO | MB_DEFBUTTON2));
      return DlgResult{1};
    }
    if (message == WM_COMMAND && LOWORD(wparam) == IDOK) {
      answers.push_back(MessageBox(dialog, "Done.", "T", MB_OK | MB_ICONEXCLAMATION));
      EndDialog(dialog, 1);
    }
    return DlgResult{0};
  });
  EXPECT_EQ(answers, (std::vector<int>{IDNO, IDYES, IDOK}));
  EXPECT_EQ(host_.Lines("box"),
            (std::vector<std::string>{"box 36 Q|Sure? -> 7", "box 260 Q|Sure? -> 6",
                                      "box 48 T|Done. -> 1 (default)"}));
}

TEST_F(DialogTest, AnAnswerNoBoxAskedForIsNotGivenToALaterBox) {
  host_.Answer(IDYES).Click(IDOK);
  int answer = 0;
  Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    if (message == WM_COMMAND && LOWORD(wparam) == IDOK) {
      answer = MessageBox(dialog, "Sure?", "Q", MB_YESNO | MB_DEFBUTTON2);
      EndDialog(dialog, 1);
    }
    return DlgResult{0};
  });
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(host_.Lines("unused"), (std::vector<std::string>{"unused answer 6"}));
}

TEST_F(DialogTest, AnUnansweredDialogIsCancelledAndOneThatStaysOpenEnds) {
  EXPECT_EQ(Run([](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
              return EndOnButtons(dialog, message, wparam);
            }),
            IDCANCEL);
  EXPECT_EQ(Run([](DlgHwnd, uint32_t, DlgWParam, DlgLParam) { return DlgResult{0}; }), -1);
}

TEST_F(DialogTest, EndingDuringInitTakesNoAction) {
  host_.Click(IDOK);
  EXPECT_EQ(Run([](DlgHwnd dialog, uint32_t message, DlgWParam, DlgLParam) {
              if (message == WM_INITDIALOG) EndDialog(dialog, 20017);
              return DlgResult{0};
            }),
            20017);
  EXPECT_EQ(host_.Pending(), 1u);
}

TEST_F(DialogTest, TheRecordShowsWhatTheProcedureDid) {
  host_.Click(IDOK);
  Run([](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    if (message == WM_INITDIALOG) {
      SetWindowText(dialog, "Logon to demo");
      EnableWindow(GetDlgItem(dialog, 19), true);
      EnableWindow(GetDlgItem(dialog, 19), true);  // no change, no line
      ShowWindow(GetDlgItem(dialog, 18), SW_SHOW);
      SetFocus(GetDlgItem(dialog, 11));
      DlgCursor before = SetCursor(DlgCursor::kWait);
      SetCursor(before);
      MessageBeep(MB_ICONEXCLAMATION);
      WinHelp(dialog, "velutl32.hlp", HELP_CONTEXT, 12);
      return DlgResult{0};
    }
    return EndOnButtons(dialog, message, wparam);
  });
  EXPECT_EQ(host_.Record(),
            (std::vector<std::string>{"open 100", "caption Logon to demo", "enable 19 1",
                                      "show 18 1", "focus 11", "cursor wait", "cursor arrow",
                                      "beep 48", "help 1 12 velutl32.hlp", "end 1"}));
}

TEST_F(DialogTest, HandlesOfEndedDialogsAndApplicationWindowsAreNeverUsed) {
  DlgHwnd kept = nullptr;
  DlgHwnd parent_seen = nullptr;
  // Not a window of the layer: any use of it as one would crash.
  DlgHwnd application = DlgForeignWindow(reinterpret_cast<void*>(0x10));
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(DlgForeignWindow(nullptr), nullptr);
  Run(
      [&](DlgHwnd dialog, uint32_t message, DlgWParam, DlgLParam) {
        if (message == WM_INITDIALOG) {
          kept = dialog;
          parent_seen = GetParent(dialog);
          DlgCenterOverParent(dialog);
          EndDialog(dialog, 1);
        }
        return DlgResult{0};
      },
      100, application);
  EXPECT_EQ(parent_seen, application);
  EXPECT_FALSE(SetDlgItemText(kept, 10, "x"));
  EXPECT_FALSE(EndDialog(kept, 1));
  EXPECT_EQ(SendMessage(kept, WM_APP, 0, 0), 0);
  char text[8] = "x";
  EXPECT_EQ(GetWindowText(application, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(DialogBoxParam(module_, 100, kept, LambdaProc, 0), -1);  // a dead parent
}

TEST_F(DialogTest, ControlsBeyondTheDialogsEdgeAreReachedOnceItGrows) {
  host_.Click(20).Click(IDOK).Click(20).Click(IDCANCEL);
  std::vector<int> clicks;
  Run([&](DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
    if (message != WM_COMMAND) return DlgResult{0};
    clicks.push_back(LOWORD(wparam));
    if (LOWORD(wparam) == IDOK) {
      DlgRect frame, more;
      GetWindowRect(dialog, &frame);
      GetWindowRect(GetDlgItem(dialog, 20), &more);
      MoveWindow(dialog, frame.left, frame.top, frame.right - frame.left,
                 more.bottom + 10 - frame.top);
    }
    if (LOWORD(wparam) == IDCANCEL) EndDialog(dialog, 2);
    return DlgResult{0};
  });
  EXPECT_EQ(clicks, (std::vector<int>{IDOK, 20, IDCANCEL}));
  EXPECT_EQ(host_.Lines("refused"), (std::vector<std::string>{"refused 20 hidden"}));
}

TEST_F(DialogTest, SaveFilePromptGivesThePathOrCancels) {
  host_.SaveAs("/tmp/report.txt").CancelSave().SaveAs("/a/path/too/long/for/the/buffer");
  char file[16] = "VeltoDS.Txt";
  DlgSaveFile request;
  request.file = file;
  request.file_size = sizeof file;
  request.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  EXPECT_TRUE(GetSaveFileName(&request));
  EXPECT_STREQ(file, "/tmp/report.txt");
  EXPECT_FALSE(GetSaveFileName(&request));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_FALSE(GetSaveFileName(&request));
  EXPECT_STREQ(file, "/tmp/report.txt");
  request.file = nullptr;
  EXPECT_FALSE(GetSaveFileName(&request));
  EXPECT_NE(CommDlgExtendedError(), 0u);
}

}  // namespace
