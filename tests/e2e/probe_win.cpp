// Looks at and moves top-level windows by title, for the end-to-end tests. A title of the form
// "class=NAME" finds the window by its class instead (the system's dialogs, "#32770", or the
// skinned menu, "VorlaxMenu").
//   probe state <title>      prints "found=1 visible=1 iconic=0 foreground=1 x=.. y=.. w=.. h=.."
//   probe minimize <title>   minimises the window
//   probe post <title> <msg> <wParam> <lParam>   posts a message (numbers in decimal or 0x hex)
//   probe child <title> <id> prints the child control's state (screen rectangle) and its text
//   probe text <title> <id>  the same, with the text the control itself holds (an edit box's)
//   probe focus              prints the state, identifier, class and text of the window with the
//                            keyboard focus, and the class of its top-level window
//   probe at <title> <x> <y> prints "inside=1" when the screen point belongs to the window or a
//                            child of it (the window's shape counts)
//   probe metrics            prints the full-screen work area the main window is centred in
//   probe menu               prints the state of an open pop-up menu
//   probe class <class>      prints the state of the first top-level window of that class (the
//                            skinned drop-down menus)
//   probe windows            one line per visible top-level window, top of the z-order first:
//                            "hwnd=.. class=.. owner=.. x=.. y=.. w=.. h=.. enabled=.. title=.."
//   probe kids <title>       the same for every visible descendant of the window, with "id=.."
//   probe ping <title>       "answered=1" when the window's thread answers a message within 5 s
//   probe move <title> <x> <y>  moves the window's top-left corner there
//   probe device <title> <event> <name>  sends WM_DEVICECHANGE with a device-interface broadcast
//                            naming <name>, as the system tells a window of an arrival (0x8000)
//                            or a removal (0x8004)
//   probe sleep <ms>         waits (a stand-in for a game the game watch looks for)
//   probe bare <title> <w> <h>  a bare window of that size with a 1.3 s timer, until closed
//                            (what the benchmark compares Velkor with)
//   A title of the form "hwnd=NUMBER" names the window by its handle (as `windows` prints it).
#include <windows.h>
#include <dbt.h>

#include <cstdio>
#include <vector>
#include <cwchar>

namespace {

void PrintState(HWND hwnd) {
  RECT r = {};
  if (hwnd) GetWindowRect(hwnd, &r);
  std::printf("found=%d visible=%d iconic=%d foreground=%d x=%ld y=%ld w=%ld h=%ld", hwnd != nullptr,
              hwnd && IsWindowVisible(hwnd), hwnd && IsIconic(hwnd), hwnd && GetForegroundWindow() == hwnd, r.left,
              r.top, r.right - r.left, r.bottom - r.top);
}

// The text a control holds, asked of it (an edit box keeps its text to itself).
void PrintControlText(HWND hwnd) {
  wchar_t text[512] = {};
  DWORD_PTR length = 0;
  if (hwnd) SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &length);
  std::printf(" text=%ls\n", text);
}

UINT_PTR Number(const wchar_t* s) { return static_cast<UINT_PTR>(wcstoull(s, nullptr, 0)); }

HWND FindTop(const wchar_t* title) {
  if (wcsncmp(title, L"class=", 6) == 0) return FindWindowW(title + 6, nullptr);
  if (wcsncmp(title, L"hwnd=", 5) == 0) {
    HWND hwnd = reinterpret_cast<HWND>(Number(title + 5));
    return IsWindow(hwnd) ? hwnd : nullptr;
  }
  return FindWindowW(nullptr, title);
}

int PrintFocus() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(0, &info);
  HWND focus = info.hwndFocus;
  wchar_t cls[128] = {}, top[128] = {};
  if (focus) {
    GetClassNameW(focus, cls, 128);
    GetClassNameW(GetAncestor(focus, GA_ROOT), top, 128);
  }
  PrintState(focus);
  std::printf(" id=%d class=%ls topclass=%ls", focus ? GetDlgCtrlID(focus) : 0, cls, top);
  PrintControlText(focus);
  return focus ? 0 : 1;
}

LRESULT CALLBACK BareProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int RunBareWindow(const wchar_t* title, int width, int height) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = BareProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BareWindow";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, L"BareWindow", title, WS_POPUP | WS_VISIBLE, 100, 100, width, height,
                              nullptr, nullptr, wc.hInstance, nullptr);
  SetTimer(hwnd, 1, 1300, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

void PrintWindowLine(HWND hwnd) {
  wchar_t cls[128] = {}, title[128] = {};
  GetClassNameW(hwnd, cls, 128);
  InternalGetWindowText(hwnd, title, 128);
  RECT r = {};
  GetWindowRect(hwnd, &r);
  std::printf("hwnd=%llu class=%ls owner=%llu id=%d x=%ld y=%ld w=%ld h=%ld enabled=%d title=%ls\n",
              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), cls,
              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetWindow(hwnd, GW_OWNER))),
              (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? GetDlgCtrlID(hwnd) : 0, r.left, r.top, r.right - r.left,
              r.bottom - r.top, IsWindowEnabled(hwnd) ? 1 : 0, title);
}

BOOL CALLBACK PrintVisible(HWND hwnd, LPARAM) {
  if (IsWindowVisible(hwnd)) PrintWindowLine(hwnd);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 2 && wcscmp(argv[1], L"metrics") == 0) {
    std::printf("cx=%d cy=%d\n", GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
    return 0;
  }
  if (argc >= 2 && wcscmp(argv[1], L"menu") == 0) {
    PrintState(FindWindowW(L"#32768", nullptr));
    std::printf("\n");
    return 0;
  }
  if (argc >= 3 && wcscmp(argv[1], L"class") == 0) {
    PrintState(FindWindowW(argv[2], nullptr));
    std::printf("\n");
    return 0;
  }
  if (argc >= 3 && wcscmp(argv[1], L"sleep") == 0) {
    Sleep(static_cast<DWORD>(Number(argv[2])));
    return 0;
  }
  if (argc == 5 && wcscmp(argv[1], L"bare") == 0)
    return RunBareWindow(argv[2], static_cast<int>(Number(argv[3])), static_cast<int>(Number(argv[4])));
  if (argc >= 2 && wcscmp(argv[1], L"focus") == 0) return PrintFocus();
  if (argc >= 2 && wcscmp(argv[1], L"windows") == 0) {
    EnumWindows(PrintVisible, 0);
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: probe state|minimize|post|child|at <title> ...\n");
    return 2;
  }
  HWND hwnd = FindTop(argv[2]);
  if (wcscmp(argv[1], L"state") == 0) {
    PrintState(hwnd);
    std::printf("\n");
    return hwnd ? 0 : 1;
  }
  if (!hwnd) return 1;
  if (wcscmp(argv[1], L"kids") == 0) {
    EnumChildWindows(hwnd, PrintVisible, 0);
    return 0;
  }
  if (wcscmp(argv[1], L"ping") == 0) {
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
    std::printf("answered=%d\n", answered ? 1 : 0);
    return answered ? 0 : 3;
  }
  if (wcscmp(argv[1], L"move") == 0 && argc == 5) {
    return SetWindowPos(hwnd, nullptr, static_cast<int>(wcstol(argv[3], nullptr, 0)),
                        static_cast<int>(wcstol(argv[4], nullptr, 0)), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
               ? 0
               : 1;
  }
  if (wcscmp(argv[1], L"minimize") == 0) {
    ShowWindow(hwnd, SW_MINIMIZE);
    return 0;
  }
  if (wcscmp(argv[1], L"post") == 0 && argc == 6) {
    return PostMessageW(hwnd, static_cast<UINT>(Number(argv[3])), Number(argv[4]), static_cast<LPARAM>(Number(argv[5])))
               ? 0
               : 1;
  }
  if (wcscmp(argv[1], L"device") == 0 && argc == 5) {
    size_t units = wcslen(argv[4]) + 1;
    std::vector<BYTE> bytes(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + units * sizeof(wchar_t));
    auto* b = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    b->dbcc_size = static_cast<DWORD>(bytes.size());
    b->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    wcscpy(b->dbcc_name, argv[4]);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, WM_DEVICECHANGE, Number(argv[3]), reinterpret_cast<LPARAM>(b), SMTO_ABORTIFHUNG,
                               10000, &result)
               ? 0
               : 1;
  }
  if (wcscmp(argv[1], L"child") == 0 && argc == 4) {
    HWND child = GetDlgItem(hwnd, static_cast<int>(Number(argv[3])));
    PrintState(child);
    wchar_t text[256] = {};
    if (child) InternalGetWindowText(child, text, 256);
    std::printf(" text=%ls\n", text);
    return child ? 0 : 1;
  }
  if (wcscmp(argv[1], L"text") == 0 && argc == 4) {
    HWND child = GetDlgItem(hwnd, static_cast<int>(Number(argv[3])));
    PrintState(child);
    PrintControlText(child);
    return child ? 0 : 1;
  }
  if (wcscmp(argv[1], L"at") == 0 && argc == 5) {
    POINT p{static_cast<LONG>(wcstol(argv[3], nullptr, 0)), static_cast<LONG>(wcstol(argv[4], nullptr, 0))};
    HWND under = WindowFromPoint(p);
    std::printf("inside=%d\n", under && (under == hwnd || IsChild(hwnd, under)));
    return 0;
  }
  return 2;
}
