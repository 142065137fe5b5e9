/* What the mailer's end-to-end test needs of the X server beyond xdotool.
 *   xtool bind KEYSYM...
 *     gives each keysym (by name, e.g. eacute) a key of its own for the rest
 *     of the server's life, so that typing it does not remap a key while
 *     the program reads the keyboard (which can lose the character). */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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
  if (argc < 3 || strcmp(argv[1], "bind") != 0) {
    fprintf(stderr, "usage: xtool bind KEYSYM...\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "xtool: cannot open the display\n");
    return 1;
  }
  const int rc = Bind(d, argc - 2, argv + 2);
  XSync(d, False);
  XCloseDisplay(d);
  return rc;
}
