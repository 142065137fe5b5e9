/* What the mailer's end-to-end test needs of the X server beyond xdotool.
 *   xtool close WINDOW_ID
 *     asks a top-level window to close as a window manager's close box
 *     does: the client message WM_PROTOCOLS carrying WM_DELETE_WINDOW.
 *   xtool bind KEYSYM...
 *     gives each keysym (by name, e.g. eacute) a key of its own for the rest
 *     of the server's life, so that typing it does not remap a key while
 *     the program reads the keyboard (which can lose the character). */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Close(Display* d, const char* id) {
  const Window w = (Window)strtoul(id, NULL, 0);
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  return 0;
}

static int Bind(Display* d, int count, char** names) {
  int min, max, per;
  XDisplayKeycodes(d, &min, &max);
  KeySym* map = XGetKeyboardMapping(d, (KeyCode)min, max - min + 1, &per);
  if (!map) return 1;
  int code = max;
  for (int i = 0; i < count; ++i) {
    const KeySym sym = XStringToKeysym(names[i]);
    if (sym == NoSymbol) {
      fprintf(stderr, "xtool: unknown keysym %s\n", names[i]);
      XFree(map);
      return 1;
    }
    for (; code >= min; --code) {  // the highest key that carries nothing
      int used = 0;
      for (int j = 0; j < per; ++j) used |= map[(code - min) * per + j] != NoSymbol;
      if (!used) break;
    }
    if (code < min) {
      fprintf(stderr, "xtool: no free key for %s\n", names[i]);
      XFree(map);
      return 1;
    }
    KeySym syms[2] = {sym, sym};
    XChangeKeyboardMapping(d, code, 2, syms, 1);
    map[(code - min) * per] = sym;
    --code;
  }
  XFree(map);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 3 || (strcmp(argv[1], "close") != 0 && strcmp(argv[1], "bind") != 0)) {
    fprintf(stderr, "usage: xtool close WINDOW_ID | xtool bind KEYSYM...\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "xtool: cannot open the display\n");
    return 1;
  }
  const int rc = strcmp(argv[1], "close") == 0 ? Close(d, argv[2]) : Bind(d, argc - 2, argv + 2);
  XSync(d, False);
  XCloseDisplay(d);
  return rc;
}
