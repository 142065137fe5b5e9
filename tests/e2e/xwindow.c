/* A window of another program, for the end-to-end tests of the preview and
 * the settings dialog.
 *   xwindow show WIDTH HEIGHT FILE   makes a black top-level window of that
 *                                    client size, writes its handle (decimal)
 *                                    to FILE once it is on the screen, and
 *                                    stays until it is killed
 *   xwindow client TITLE             prints the client area of the window
 *                                    of that title on the screen: X Y WIDTH
 *                                    HEIGHT (Windows only; on X the window
 *                                    is its client area)
 * Built by the scripts: cc xwindow.c -lX11 on Linux, the mingw-w64 compiler
 * for Windows. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int write_handle(const char* file, unsigned long id) {
  char tmp[4096];
  FILE* f;
  snprintf(tmp, sizeof tmp, "%s.tmp", file);
  f = fopen(tmp, "w");
  if (!f) return 1;
  fprintf(f, "%lu\n", id);
  if (fclose(f) != 0) return 1;
  return rename(tmp, file) == 0 ? 0 : 1;
}

#ifdef _WIN32
#include <windows.h>

static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(h, m, w, l);
}

int main(int argc, char** argv) {
  WNDCLASSA wc;
  RECT r;
  HWND h;
  MSG msg;
  if (argc == 3 && strcmp(argv[1], "client") == 0) {
    POINT origin = {0, 0};
    SetProcessDPIAware(); /* the screen's pixels at every scale */
    h = FindWindowA(NULL, argv[2]);
    if (!h || !GetClientRect(h, &r) || !ClientToScreen(h, &origin)) return 1;
    printf("%ld %ld %ld %ld\n", (long)origin.x, (long)origin.y, (long)r.right, (long)r.bottom);
    return 0;
  }
  if (argc != 5 || strcmp(argv[1], "show") != 0) {
    fprintf(stderr, "usage: xwindow show WIDTH HEIGHT FILE | xwindow client TITLE\n");
    return 2;
  }
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = "xwindow";
  RegisterClassA(&wc);
  r.left = 0;
  r.top = 0;
  r.right = atoi(argv[2]);
  r.bottom = atoi(argv[3]);
  AdjustWindowRect(&r, WS_POPUP, FALSE);
  h = CreateWindowA("xwindow", "preview area", WS_POPUP | WS_VISIBLE, 40, 40, r.right - r.left,
                    r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
  if (!h) return 1;
  UpdateWindow(h);
  /* The handle as the system passes it on a command line: 32 bits. */
  if (write_handle(argv[4], (unsigned long)(unsigned)(LONG_PTR)h) != 0) return 1;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

#else
#include <X11/Xlib.h>
#include <X11/Xutil.h>

int main(int argc, char** argv) {
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "xwindow: no display\n");
    return 1;
  }
  if (argc == 5 && strcmp(argv[1], "show") == 0) {
    const int s = DefaultScreen(d);
    XEvent e;
    Window w = XCreateSimpleWindow(d, RootWindow(d, s), 40, 40, (unsigned)atoi(argv[2]),
                                   (unsigned)atoi(argv[3]), 0, BlackPixel(d, s), BlackPixel(d, s));
    XStoreName(d, w, "preview area");
    XSelectInput(d, w, StructureNotifyMask);
    XMapWindow(d, w);
    do XNextEvent(d, &e);
    while (e.type != MapNotify);
    XSync(d, False);
    if (write_handle(argv[4], (unsigned long)w) != 0) return 1;
    for (;;) XNextEvent(d, &e);
  }
  fprintf(stderr, "usage: xwindow show WIDTH HEIGHT FILE\n");
  return 2;
}
#endif
