// Times the key function picker and the macro editor inside one process, the way the main
// window opens them, from the call to the moment every window of ours has painted (nothing left
// in the thread's paint queue). Used by tools/bench_dialogs.py; prints one line per figure:
//
//   bench_dialogs picker <program folder> <app-data folder> <runs> [timeline|cold]
//       bare   a plain pop-up of the picker's size painting one picture, until painted
//       open   EditKeyFromPicker for a key until the picker is painted
//       page2 shown  the macro tab's click until the page is painted with what it has
//       page2  the macro tab's click until the tree is painted with every macro in it
//       with `timeline` after the runs: when each window of an opening was made
//   bench_dialogs editor <program folder> <app-data folder> <runs> [cold]
//       shown  RunMacroDlg until the editor is painted with what it has
//       load   RunMacroDlg until the editor is painted with every macro in its tree
//   bench_dialogs parts <program folder> <app-data folder>
//       what the picker's opening is made of, each piece on its own
//
// MacroList is loaded first as start-up loads it, and the picker's pictures are prefetched as the
// main window does; with `cold` MacroList is emptied before each opening, so every file is read
// again (on the dialogs' reading thread, while they show what they have).
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "bench_clock_win.h"
#include "config/folders.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "controls/menu_library.h"
#include "controls/png_btn_win.h"
#include "controls/skin_image_win.h"
#include "controls/skin_prefetch_win.h"
#include "controls/tree_ctrl_ex_win.h"
#include "controls/window_base_win.h"
#include "dialogs/key_edit.h"
#include "dialogs/key_fun_pick_dlg_win.h"
#include "dialogs/macro_dlg_win.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "records/profile_record.h"

namespace {

constexpr UINT kMarker = WM_APP + 0x3B7;
const wchar_t kPickerClass[] = L"VelkorKeyFunPick";
// How many macros the library holds (start-up's load): a dialog is filled once MacroList holds
// them all again.
size_t g_libraryMacros = 0;
bool LibraryIn() { return MacroList.GetCount() >= g_libraryMacros; }

std::u16string U16(const char* s) {
  std::u16string out;
  for (; *s; ++s) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*s)));
  if (!out.empty() && out.back() != u'\\') out.push_back(u'\\');
  return out;
}

// With "timeline": when each window of an opening was created, from the start of the opening.
struct Timeline {
  double start = 0;
  std::string lines;
};
Timeline* g_timeline = nullptr;

LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
  if (g_timeline && (code == HCBT_CREATEWND || code == HCBT_ACTIVATE)) {
    char name[64] = {};
    GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    char line[128];
    std::snprintf(line, sizeof line, "  %7.1f ms %s %s\n", NowMs() - g_timeline->start,
                  code == HCBT_CREATEWND ? "create" : "activate", name);
    g_timeline->lines += line;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Calls `painted` once the window of `className` is visible and every window of the thread has
// painted: a marker is posted after each paint and, since posted messages come before paints,
// finding no paint pending when it arrives means the screen is up to date.
class PaintWatch {
 public:
  PaintWatch() {
    m_cookie = ui::AddMessageFilter([this](MSG& msg) { return OnMessage(msg); });
  }
  ~PaintWatch() { ui::RemoveMessageFilter(m_cookie); }

  // Calls `painted` once the window is up to date and, when given, `ready` holds.
  void Arm(const wchar_t* className, std::function<void(HWND)> painted, std::function<bool()> ready = nullptr) {
    m_class = className;
    m_painted = std::move(painted);
    m_ready = std::move(ready);
    // A look now, whatever comes next: armed from a callback, nothing else may be on its way.
    m_markerPosted = true;
    PostThreadMessageW(GetCurrentThreadId(), kMarker, 0, 0);
  }

 private:
  bool OnMessage(MSG& msg) {
    if (g_timeline) {
      char name[64] = {};
      GetClassNameA(msg.hwnd, name, sizeof name);
      char line[128];
      std::snprintf(line, sizeof line, "  %7.1f ms message 0x%04x %s\n", NowMs() - g_timeline->start, msg.message,
                    name);
      g_timeline->lines += line;
    }
    if (msg.message == kMarker && !msg.hwnd) {
      m_markerPosted = false;
      Check();
      return true;
    }
    if (m_painted && !m_markerPosted) {
      m_markerPosted = true;
      PostThreadMessageW(GetCurrentThreadId(), kMarker, 0, 0);
    }
    return false;
  }

  void Check() {
    if (!m_painted) return;
    HWND window = FindWindowW(m_class, nullptr);
    if (!window || !IsWindowVisible(window)) return;
    if (m_ready && !m_ready()) return;
    if ((HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) != 0) return;
    auto painted = std::move(m_painted);
    m_painted = nullptr;
    painted(window);
  }

  int m_cookie = 0;
  const wchar_t* m_class = nullptr;
  std::function<void(HWND)> m_painted;
  std::function<bool()> m_ready;
  bool m_markerPosted = false;
};

LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (g_timeline && code == HC_ACTION && sent) {
    char name[64] = {};
    GetClassNameA(sent->hwnd, name, sizeof name);
    char line[128];
    std::snprintf(line, sizeof line, "  %7.1f ms sent 0x%04x %s\n", NowMs() - g_timeline->start, sent->message, name);
    g_timeline->lines += line;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class BenchHost : public KeyEditHost {
 public:
  explicit BenchHost(HWND parent) : m_parent(parent) {}
  KeyPickOutcome RunPicker(const KeyPickRequest& request) override { return RunKeyFunPickDlg(m_parent, request); }
  int SelectedKey() const override { return 0; }
  void SetKeyColour(int, uint32_t) override {}
  void CommitLighting() override {}
  void SetKeyMark(int, bool) override {}
  void RedrawKeys() override {}
  void RequestApply(uint32_t) override {}

 private:
  HWND m_parent;
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HWND MakeParent() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelkorBenchParent";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassW(&wc);
  HWND parent = CreateWindowExW(0, wc.lpszClassName, L"Bench Parent", WS_POPUP | WS_VISIBLE, 20, 20, 984, 640,
                                nullptr, nullptr, wc.hInstance, nullptr);
  UpdateWindow(parent);
  Pump();
  return parent;
}

// The floor under the picker on this machine at this moment: a plain pop-up of the picker's
// size that paints one picture, from creation to painted.
LRESULT CALLBACK BarePaint(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  auto* picture = reinterpret_cast<ui::SkinImage*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  RECT client;
  GetClientRect(hwnd, &client);
  if (picture) picture->Draw(dc, client);
  EndPaint(hwnd, &ps);
  return 0;
}

double BareWindowMs(HWND parent, ui::SkinImage& picture) {
  static const ATOM kClass = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BarePaint;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelkorBenchBare";
    return RegisterClassW(&wc);
  }();
  (void)kClass;
  const double start = NowMs();
  HWND bare = CreateWindowExW(WS_EX_TOOLWINDOW, L"VelkorBenchBare", L"bare", WS_POPUP, 237, 160, picture.width(),
                              picture.height(), parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(bare, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&picture));
  ShowWindow(bare, SW_SHOW);
  UpdateWindow(bare);
  Pump();
  const double ms = NowMs() - start;
  DestroyWindow(bare);
  Pump();
  return ms;
}

void BenchPicker(HWND parent, int runs, bool timeline, bool cold) {
  ui::SkinImage barePicture;
  barePicture.LoadSkin(u"pickfundlg.png");
  PaintWatch watch;
  BenchHost host(parent);
  PROFILEINFO* profile = new PROFILEINFO();
  Timeline record;
  HHOOK hook = timeline ? SetWindowsHookExW(WH_CBT, OnCbt, nullptr, GetCurrentThreadId()) : nullptr;
  HHOOK sentHook = timeline ? SetWindowsHookExW(WH_CALLWNDPROC, OnSent, nullptr, GetCurrentThreadId()) : nullptr;
  for (int run = 0; run < runs; ++run) {
    if (cold) MacroList.RemoveAll();
    const double bare = BareWindowMs(parent, barePicture);
    double start = NowMs(), opened = 0, page2Shown = 0, page2 = 0, repaint = 0;
    record = Timeline{start, {}};
    g_timeline = timeline ? &record : nullptr;
    watch.Arm(kPickerClass, [&](HWND picker) {
      opened = NowMs() - start;
      g_timeline = nullptr;
      start = NowMs();
      RedrawWindow(picker, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      repaint = NowMs() - start;
      HWND tab2 = GetDlgItem(picker, 201);
      start = NowMs();
      watch.Arm(kPickerClass, [&](HWND) {
        page2Shown = NowMs() - start;
        watch.Arm(kPickerClass, [&](HWND picker2) {
          page2 = NowMs() - start;
          PostMessageW(picker2, WM_CLOSE, 0, 0);
        }, LibraryIn);
      });
      SendMessageW(picker, WM_COMMAND, MAKEWPARAM(201, BN_CLICKED), reinterpret_cast<LPARAM>(tab2));
    });
    EditKeyFromPicker(profile, 16, g_AppDataFolder, host);
    std::printf("bare window %.1f ms, picker open %.1f ms, repaint %.1f ms, page2 shown %.1f ms, page2 %.1f ms, "
                "MacroList %zu\n", bare, opened, repaint, page2Shown, page2,
                static_cast<size_t>(MacroList.GetCount()));
    if (timeline) std::printf("%s", record.lines.c_str());
    std::fflush(stdout);
    Pump();
  }
  if (hook) UnhookWindowsHookEx(hook);
  if (sentHook) UnhookWindowsHookEx(sentHook);
  delete profile;
}

void BenchEditor(HWND parent, int runs, bool cold) {
  PaintWatch watch;
  for (int run = 0; run < runs; ++run) {
    if (cold) MacroList.RemoveAll();
    double start = NowMs(), shown = 0, loaded = 0;
    watch.Arm(kMacroDlgClass, [&](HWND) {
      shown = NowMs() - start;
      watch.Arm(kMacroDlgClass, [&](HWND editor) {
        loaded = NowMs() - start;
        PostMessageW(editor, WM_CLOSE, 0, 0);
      }, LibraryIn);
    });
    RunMacroDlg(parent);
    std::printf("editor shown %.1f ms, editor load %.1f ms, MacroList %zu\n", shown, loaded,
                static_cast<size_t>(MacroList.GetCount()));
    std::fflush(stdout);
    Pump();
  }
}

// The pieces of a picker's opening, each timed alone.
void BenchParts(HWND parent) {
  auto time = [](const char* what, const std::function<void()>& work) {
    const double start = NowMs();
    work();
    std::printf("part %-28s %.2f ms\n", what, NowMs() - start);
  };
  ui::SkinImage background;
  time("decode pickfundlg.png", [&] { background.LoadSkin(u"pickfundlg.png"); });
  time("decode btn2 x3 (tab)", [&] {
    ui::SkinImage a, b, c;
    a.LoadSkin(u"btn2_nr.png");
    b.LoadSkin(u"btn2_ov.png");
    c.LoadSkin(u"btn2_dn.png");
  });
  time("font", [&] {
    DeleteObject(CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
  });
  time("tree window (empty)", [&] {
    CTreeCtrlEx tree;
    tree.CreateSkinned(parent, 1, &background, u"open.png", u"close.png", RECT{228, 90, 457, 285});
  });
  time("png button", [&] {
    CPngBtn button;
    button.CreatePngBtn(parent, &background, u"btn2_nr.png", u"btn2_ov.png", u"btn2_dn.png", nullptr, false, u"x",
                        false, 27, 90, 2);
  });
  time("library scan, records held", [&] {
    MacroTreeModel library;
    LoadMacroLibrary(g_AppDataFolder, &library, true);
  });
  time("library scan into tree", [&] {
    MacroTreeModel library;
    TreeModel view;
    MacroTreeMirror mirror(library, view);
    LoadMacroLibrary(g_AppDataFolder, &library, true);
  });
  time("library scan, MacroList empty", [&] {
    MacroList.RemoveAll();
    MacroTreeModel library;
    LoadMacroLibrary(g_AppDataFolder, &library, true);
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_dialogs picker|editor|parts PROGRAM_FOLDER APPDATA_FOLDER [RUNS] [cold|timeline]\n");
    return 2;
  }
  const std::string mode = argv[1];
  const int runs = argc > 4 ? std::atoi(argv[4]) : 5;
  const bool cold = argc > 5 && std::string(argv[5]) == "cold";

  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);

  g_ProgramFolder = U16(argv[2]);
  g_AppDataFolder = U16(argv[3]);
  LoadTextTable(g_ProgramFolder + u"text.xml");
  if (!LoadConfig(g_ProgramFolder)) {
    std::fprintf(stderr, "no cfg.ini in %s\n", argv[2]);
    return 1;
  }
  g_Settings.MacroDir = 1;
  BindMenuLibrary(g_ProgramFolder);
  const double start = NowMs();
  LoadMacroLibrary(g_AppDataFolder, true);
  g_libraryMacros = MacroList.GetCount();
  std::printf("start-up load %.1f ms, MacroList %zu\n", NowMs() - start, static_cast<size_t>(MacroList.GetCount()));

  // As the main window does once it is up; a user's first click comes half a second later at
  // the earliest.
  ui::SkinPrefetch prefetch;
  prefetch.Start(KeyFunPickPictures(), ui::SkinPrefetch::Urgency::kIdleTime);
  HWND parent = MakeParent();
  for (const double until = NowMs() + 500; NowMs() < until; Sleep(10)) Pump();
  if (mode == "picker") BenchPicker(parent, runs, argc > 5 && std::string(argv[5]) == "timeline", cold);
  else if (mode == "editor") BenchEditor(parent, runs, cold);
  else if (mode == "parts") BenchParts(parent);
  DestroyWindow(parent);
  MacroList.RemoveAll();
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
