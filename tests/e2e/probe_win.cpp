// Looks at and moves top-level windows by title, for the end-to-end tests:
//   probe state <title>      prints "found=1 visible=1 iconic=0 foreground=1 x=.. y=.. w=.. h=.."
//   probe minimize <title>   minimises the window
//   probe post <title> <msg> <wParam> <lParam>   posts a message (numbers in decimal or 0x hex)
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: probe state|minimize|post <title> [msg wParam lParam]\n");
    return 2;
  }
  HWND hwnd = FindWindowW(nullptr, argv[2]);
  if (wcscmp(argv[1], L"state") == 0) {
    RECT r = {};
    if (hwnd) GetWindowRect(hwnd, &r);
    std::printf("found=%d visible=%d iconic=%d foreground=%d x=%ld y=%ld w=%ld h=%ld\n", hwnd != nullptr,
                hwnd && IsWindowVisible(hwnd), hwnd && IsIconic(hwnd), hwnd && GetForegroundWindow() == hwnd,
                r.left, r.top, r.right - r.left, r.bottom - r.top);
    return hwnd ? 0 : 1;
  }
  if (!hwnd) return 1;
  if (wcscmp(argv[1], L"minimize") == 0) {
    ShowWindow(hwnd, SW_MINIMIZE);
    return 0;
  }
  if (wcscmp(argv[1], L"post") == 0 && argc == 6) {
    auto num = [](const wchar_t* s) { return static_cast<UINT_PTR>(wcstoull(s, nullptr, 0)); };
    return PostMessageW(hwnd, static_cast<UINT>(num(argv[3])), num(argv[4]), static_cast<LPARAM>(num(argv[5]))) ? 0 : 1;
  }
  return 2;
}
