// The Win32 main window made from template 101 in this process and driven by
// window messages, the way the operator's clicks reach it: the controls match
// the shared table, boxes set the flags, HOST buttons put their request on the
// line, the record answer unticks "sende Daten", tooltips, bold captions,
// links, the ways out, and the port question (template 102).
#include "app/control_ids.h"
#include "app/loop.h"
#include "app/receiver.h"
#include "app/requests.h"
#include "app/session.h"
#include "platform/signals.h"
#include "app/session_fixture.h"
#include "app/port_choices.h"
#include "ui/main_window_table.h"
#include "ui/win32/main_window.h"
#include "ui/win32/port_dialog.h"
#include "ui/win32/win32_loop.h"
#include "numbered_ports.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace tapix {
namespace {

// Removes whatever is queued (a quit message posted by a window of an earlier
// test included). True when a quit message was among them.
bool DrainMessages() {
  bool quit = false;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return quit;
}

// A session with a scripted device and the start values, and its window.
struct Win32WindowTest : ::testing::Test, protected testing::SessionFixture {
  void SetUp() override {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    window = std::make_unique<win32::MainWindow>(session);
    dialog = window->Create(GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr) << "template 101 missing? error " << GetLastError();
    DrainMessages();
  }
  void TearDown() override {
    window.reset();
    DrainMessages();
  }

  HWND Item(int id) const { return GetDlgItem(dialog, id); }
  void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }
  bool Checked(int id) const { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

  std::unique_ptr<win32::MainWindow> window;
  HWND dialog = nullptr;
};

std::string ClassOf(HWND control) {
  char name[64] = {};
  GetClassNameA(control, name, sizeof name);
  return name;
}

TEST_F(Win32WindowTest, ControlsMatchTheSharedTableInTemplateOrder) {
  char title[64] = {};
  GetWindowTextA(dialog, title, sizeof title);
  EXPECT_STREQ(title, kMainWindowTitle);
  const LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  RECT client{0, 0, kMainWindowWidth, kMainWindowHeight};
  MapDialogRect(dialog, &client);
  RECT actual;
  GetClientRect(dialog, &actual);
  EXPECT_EQ(actual.right, client.right);
  EXPECT_EQ(actual.bottom, client.bottom);

  HWND control = GetWindow(dialog, GW_CHILD);
  for (std::size_t i = 0; i < kMainWindowControls.size(); ++i) {
    const ControlSpec& spec = kMainWindowControls[i];
    SCOPED_TRACE(::testing::Message() << "control #" << i + 1 << " id " << spec.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(control)), spec.id);
    EXPECT_EQ(ClassOf(control), ControlClass(spec.kind)) << "class";
    const auto have = static_cast<std::uint32_t>(GetWindowLongPtrA(control, GWL_STYLE));
    // The links add SS_NOTIFY at run time, edit controls add bits of their
    // own and draw WS_BORDER as a sunken client edge, and a combo box keeps
    // WS_VSCROLL for its list: the template's other bits must all be there.
    std::uint32_t want_style = ControlStyle(spec.kind);
    if (spec.kind == ControlKind::Combo) want_style &= ~static_cast<std::uint32_t>(WS_VSCROLL);
    if (spec.kind == ControlKind::Field) {
      want_style &= ~static_cast<std::uint32_t>(WS_BORDER);
      EXPECT_TRUE((have & WS_BORDER) || (GetWindowLongPtrA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    }
    EXPECT_EQ(have & want_style, want_style) << std::hex << have;
    // Place and size are converted separately, as the dialog manager does.
    RECT origin{spec.x, spec.y, spec.width, spec.height};
    MapDialogRect(dialog, &origin);
    const RECT want{origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, want.left);
    EXPECT_EQ(place.top, want.top);
    if (spec.kind == ControlKind::Picture) {
      EXPECT_GT(place.right - place.left, 30) << "sized to its bitmap";
    } else if (spec.kind != ControlKind::Combo) {  // the closed combo is lower
      EXPECT_EQ(place.right, want.right);
      EXPECT_EQ(place.bottom, want.bottom);
    }
    control = GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(control, nullptr) << "more controls than the table has";
  char text[64] = {};
  GetDlgItemTextA(dialog, ctl::Checksum, text, sizeof text);
  EXPECT_STREQ(text, "Pr\xFC" "fsumme");
}

TEST_F(Win32WindowTest, BoxesStartLikeTheFlagsAndEveryClickCopiesTheState) {
  EXPECT_TRUE(Checked(ctl::AutoAnswer));
  EXPECT_TRUE(Checked(ctl::AnswerOk));
  for (int id : {ctl::Checksum, ctl::Waiter3, ctl::CreditQuantity, ctl::AutoQuery, ctl::SendRecord,
                 ctl::BoxWFlag, ctl::BoxTFlag}) {
    EXPECT_FALSE(Checked(id)) << id;
  }
  struct {
    int id;
    std::uint32_t OptionFlags::*flag;
  } boxes[] = {{ctl::Checksum, &OptionFlags::Checksum},
               {ctl::Waiter3, &OptionFlags::Waiter3},
               {ctl::CreditQuantity, &OptionFlags::CreditQuantity},
               {ctl::AutoQuery, &OptionFlags::AutoQuery},
               {ctl::AutoAnswer, &OptionFlags::AutoAnswer},
               {ctl::SendRecord, &OptionFlags::SendRecord},
               {ctl::AnswerOk, &OptionFlags::AnswerOk}};
  for (const auto& box : boxes) {
    SCOPED_TRACE(box.id);
    const std::uint32_t before = session.options.*box.flag;
    Click(box.id);
    EXPECT_EQ(session.options.*box.flag, before ? 0u : 1u);
    EXPECT_EQ(Checked(box.id), session.options.*box.flag == 1);
    Click(box.id);
    EXPECT_EQ(session.options.*box.flag, before);
  }
  // The flag boxes of W and T set no option.
  const OptionFlags before = session.options;
  Click(ctl::BoxWFlag);
  EXPECT_TRUE(Checked(ctl::BoxWFlag));
  EXPECT_EQ(std::memcmp(&before, &session.options, sizeof before), 0);
}

TEST_F(Win32WindowTest, HostButtonsPutTheirRequestOnTheLine) {
  SetDlgItemInt(dialog, ctl::FieldAWaiter, 5, FALSE);
  Click(ctl::BtnA);
  PassAfterEvent(session);  // what the loop does after the click
  EXPECT_EQ(device->written_, "A005");

  device->written_.clear();
  Click(ctl::Checksum);  // with the check character
  SetDlgItemTextA(dialog, ctl::FieldTWaiter, "12");
  SetDlgItemTextA(dialog, ctl::FieldTTable, "345");
  Click(ctl::BoxTFlag);
  Click(ctl::BtnT);
  PassAfterEvent(session);
  ASSERT_GE(device->written_.size(), 2u);
  EXPECT_EQ(device->written_[0], 'T');
  EXPECT_NE(device->written_.find("012"), std::string::npos) << device->written_;
  EXPECT_EQ(session.pending.SendPending, 0u) << "the slot is free again";
}

TEST_F(Win32WindowTest, TheRecordAnswerUnticksSendData) {
  SetDlgItemInt(dialog, ctl::IsbWaiter, 7, FALSE);
  SetDlgItemInt(dialog, ctl::IsbPlu, 42, FALSE);
  SetDlgItemInt(dialog, ctl::IsbTable, 3, FALSE);
  Click(ctl::SendRecord);
  ASSERT_EQ(session.options.SendRecord, 1u);
  device->Feed("E");
  ReadPort(session);
  EXPECT_FALSE(device->written_.empty()) << "the record went out";
  EXPECT_FALSE(Checked(ctl::SendRecord));
  EXPECT_EQ(session.options.SendRecord, 0u);
  // Without a record to send, the next query is answered without one.
  device->written_.clear();
  device->Feed("E");
  ReadPort(session);
  EXPECT_FALSE(Checked(ctl::SendRecord));
}

TEST_F(Win32WindowTest, TooltipsCoverEveryControlWithAnId) {
  auto tools = [](HWND tooltip) {
    std::set<HWND> out;
    const auto count = SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      TOOLINFOA tool{};
      tool.cbSize = TTTOOLINFOA_V2_SIZE;
      if (SendMessageA(tooltip, TTM_ENUMTOOLSA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool))) {
        EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT(TTF_IDISHWND | TTF_SUBCLASS));
        out.insert(reinterpret_cast<HWND>(tool.uId));
      }
    }
    return out;
  };
  const std::set<HWND> fixed = tools(window->ControlTips().Window());
  const std::set<HWND> info = tools(window->InfoTips().Window());
  EXPECT_EQ(fixed.size(), kControlTips.size());
  EXPECT_EQ(info.size(), kInfoTipIds.size());
  for (const ControlSpec& spec : kMainWindowControls) {
    if (spec.id == kAnonymousId) continue;
    EXPECT_EQ(fixed.count(Item(spec.id)) + info.count(Item(spec.id)), 1u) << spec.id;
  }
  EXPECT_TRUE(GetWindowLongPtrA(window->InfoTips().Window(), GWL_STYLE) & TTS_BALLOON);
  EXPECT_FALSE(GetWindowLongPtrA(window->ControlTips().Window(), GWL_STYLE) & TTS_BALLOON);

  // The on-demand text of the maker's picture, as the tooltip asks for it.
  NMTTDISPINFOA ask{};
  ask.hdr.hwndFrom = window->InfoTips().Window();
  ask.hdr.idFrom = reinterpret_cast<UINT_PTR>(Item(ctl::MakerPicture));
  ask.hdr.code = TTN_NEEDTEXTA;
  EXPECT_EQ(SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&ask)), FALSE);
  ASSERT_NE(ask.lpszText, nullptr);
  EXPECT_STREQ(ask.lpszText,
               "Ing. Brixner\r\nSoftwareengineering\r\nEntwicklung kundenspezifischer Softwarel\xF6sungen");
}

TEST_F(Win32WindowTest, CaptionsAreBoldAndTheLinksUnderlinedWithTheirTargets) {
  for (int id : kBoldCaptionIds) {
    const auto font = reinterpret_cast<HFONT>(SendMessageA(Item(id), WM_GETFONT, 0, 0));
    LOGFONTA bold{};
    ASSERT_TRUE(GetObjectA(font, sizeof bold, &bold)) << id;
    EXPECT_EQ(bold.lfWeight, FW_BOLD) << id;
  }
  LOGFONTA dialog_font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof dialog_font,
             &dialog_font);
  LOGFONTA title{};
  GetObjectA(window->BoldCaptions()[0].Font(), sizeof title, &title);
  EXPECT_STREQ(title.lfFaceName, dialog_font.lfFaceName);
  EXPECT_EQ(title.lfHeight, dialog_font.lfHeight);

  const win32::HyperlinkLabel& mail = window->MailLink();
  EXPECT_EQ(std::string(mail.Target()).rfind("mailto:", 0), 0u);
  EXPECT_STREQ(mail.Text(), "office@brixner.example");
  EXPECT_NE(mail.Cursor(), nullptr) << "CURSOR_MAILHAND from the resources";
  EXPECT_NE(window->WebLink().Cursor(), nullptr);
  EXPECT_NE(mail.Cursor(), window->WebLink().Cursor());
  LOGFONTA underline{};
  GetObjectA(mail.UnderlineFont(), sizeof underline, &underline);
  EXPECT_TRUE(underline.lfUnderline);
  EXPECT_TRUE(GetWindowLongPtrA(Item(ctl::MailLink), GWL_STYLE) & SS_NOTIFY);
  // Moving over a link opens nothing.
  SendMessageA(Item(ctl::WebLink), WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(window->WebLink().Visited());
}

TEST_F(Win32WindowTest, BeendenAndTheCloseCommandEndTheLoopWmCloseAndEscapeDoNot) {
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_FALSE(session.quit_requested);
  EXPECT_FALSE(DrainMessages());

  SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(session.quit_requested);
  EXPECT_TRUE(DrainMessages()) << "quit message posted";

  session.quit_requested = false;
  SendMessageA(Item(ctl::Exit), BM_CLICK, 0, 0);
  EXPECT_TRUE(session.quit_requested);
  EXPECT_TRUE(DrainMessages());

  // Destroyed by any other path, the loop ends too.
  DestroyWindow(dialog);
  EXPECT_TRUE(DrainMessages());
}

TEST_F(Win32WindowTest, EnterInAFieldIsBeendenEscapeNothingMinimiseWithoutOwner) {
  auto key = [this](HWND focus, WPARAM vk) {
    SetFocus(focus);
    MSG down{focus, WM_KEYDOWN, vk, 0, 0, {0, 0}};
    return IsDialogMessageA(dialog, &down);
  };
  EXPECT_TRUE(key(Item(ctl::FieldAWaiter), VK_ESCAPE));
  EXPECT_FALSE(session.quit_requested);
  EXPECT_TRUE(key(Item(ctl::FieldAWaiter), VK_RETURN));
  EXPECT_TRUE(session.quit_requested) << "no default button: Enter is IDOK";
  EXPECT_TRUE(DrainMessages());

  // Without an owner (no console window) the dialog itself goes down.
  SendMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(dialog));
}

TEST_F(Win32WindowTest, ComboListsThePortsAndOnlyACompletedChoiceReselects) {
  const std::uint32_t port_before = session.settings.port;
  session.port_choices.Fill(3, testing::NumberedPorts({1, 3, 12}));
  HWND combo = Item(ctl::PortCombo);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
  char entry[16] = {};
  SendMessageA(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ(entry, "COM12");
  // Opening the list, moving in it and closing it again change nothing.
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ctl::PortCombo, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ctl::PortCombo, CBN_CLOSEUP),
               reinterpret_cast<LPARAM>(combo));
  EXPECT_NE(session.port, nullptr);
  EXPECT_EQ(session.settings.port, port_before);
  // The completed choice of the empty entry closes the port and sets port 0.
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ctl::PortCombo, CBN_SELENDOK),
               reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(session.port, nullptr);
  EXPECT_EQ(session.settings.port, 0u);
  EXPECT_NE(console.log_.find("CreateFile (COM0) failed"), std::string::npos) << console.log_;
}

TEST_F(Win32WindowTest, TheLoopSendsAClickAtOnceAndEndsOnAStopRequest) {
  const WaitHandle stop = InstallStopSignals();
  ASSERT_NE(stop, kNoWaitHandle);
  SetDlgItemInt(dialog, ctl::FieldAWaiter, 5, FALSE);
  PostMessageA(Item(ctl::BtnA), BM_CLICK, 0, 0);
  // Served after the click's messages, when the loop next waits: Ctrl+C.
  SetEvent(reinterpret_cast<HANDLE>(stop));
  win32::RunWindowLoop(session, dialog);
  EXPECT_EQ(device->written_, "A005");
  EXPECT_TRUE(session.quit_requested) << "ended like Beenden";
  EXPECT_FALSE(TakeStopSignal()) << "the loop took the stop";
}

// The query timer is the loop's: a tick queues "E" when AutoQuery is on and
// the slot is free, and the query goes out at once.
TEST_F(Win32WindowTest, TheLoopsTimerSendsTheQueryWhenAutoQueryIsTicked) {
  const WaitHandle stop = InstallStopSignals();
  ASSERT_NE(stop, kNoWaitHandle);
  device->on_write_ = [stop](std::string_view bytes) {
    if (bytes == "E") SetEvent(reinterpret_cast<HANDLE>(stop));
  };
  PostMessageA(Item(ctl::AutoQuery), BM_CLICK, 0, 0);
  win32::RunWindowLoop(session, dialog);  // until the query has gone out
  EXPECT_EQ(session.options.AutoQuery, 1u);
  EXPECT_EQ(device->written_, "E");
  EXPECT_TRUE(session.quit_requested);
}

TEST_F(Win32WindowTest, ConfigureDoesNothingForTheEmptyEntry) {
  int shown = 0;
  session.configure_dialog = [&shown](std::string_view, DCB&) { return ++shown, false; };
  session.port_choices.Fill(0, testing::NumberedPorts({2}));
  Click(ctl::Configure);
  EXPECT_EQ(shown, 0);
  SendMessageA(Item(ctl::PortCombo), CB_SETCURSEL, 1, 0);
  Click(ctl::Configure);
  EXPECT_EQ(shown, 1);
}

// The port question, answered by a timer while its modal loop runs.
struct PortQuestionRun {
  int answer = 0;
  LRESULT entries = -1;
  LRESULT selection = -2;
};
PortQuestionRun* g_question = nullptr;

void CALLBACK AnswerQuestion(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND question = FindWindowA(nullptr, "Schnittstelle");
  if (!question) return;
  KillTimer(nullptr, timer);
  HWND combo = GetDlgItem(question, ctl::PortCombo);
  g_question->entries = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  g_question->selection = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  PostMessageA(question, WM_COMMAND, g_question->answer, 0);
}

TEST(Win32PortDialogTest, ListsThePresentPortsAndCancelKeepsThePortNumber) {
  Session session;
  SetDefaults(session.settings);
  session.settings.port = 0;
  for (int answer : {IDCANCEL, IDOK}) {
    PortQuestionRun run;
    run.answer = answer;
    g_question = &run;
    SetTimer(nullptr, 0, 20, &AnswerQuestion);
    const PortChoice result = win32::RunPortDialog(GetModuleHandleA(nullptr), nullptr, session);
    EXPECT_EQ(result, answer == IDOK ? PortChoice::Chosen : PortChoice::Cancelled);
    // Present ports only: the empty entry and one per port of the list.
    std::set<std::uint32_t> present;
    for (const PresentPort& port : PresentPorts()) present.insert(port.number);
    std::uint32_t listed = 0;
    for (std::uint32_t port : present) listed += port <= 32 ? 1 : 0;
    EXPECT_EQ(run.entries, static_cast<LRESULT>(listed + 1));
    // Cancel keeps the number; "OK" takes COM1, preselected when present.
    const bool com1 = present.count(1) != 0;
    EXPECT_EQ(session.settings.port, answer == IDOK && com1 ? 1u : 0u);
    EXPECT_EQ(run.selection, com1 ? 1 : -1);
  }
  g_question = nullptr;
}

TEST(Win32PortDialogTest, AStopRequestCancelsTheQuestion) {
  Session session;
  SetDefaults(session.settings);
  session.settings.port = 0;
  const WaitHandle stop = InstallStopSignals();
  ASSERT_NE(stop, kNoWaitHandle);
  SetEvent(reinterpret_cast<HANDLE>(stop));
  EXPECT_EQ(win32::RunPortDialog(GetModuleHandleA(nullptr), nullptr, session), PortChoice::Cancelled);
  EXPECT_EQ(session.settings.port, 0u);
  TakeStopSignal();
}

}  // namespace
}  // namespace tapix
