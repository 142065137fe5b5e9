/* Watches the mouse cursor that the X server shows: prints "shown" when the
 * current cursor image has a pixel that is not wholly transparent, "blank"
 * when it has none, once at the start and again on every change, until it
 * is ended. One connection for the whole run: with a probe connecting anew
 * twenty times a second, one Qt start in five failed to reach the display
 * here. Exit status 2 when
 * the display or the XFIXES extension is not there. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>
#include <time.h>

static int CursorShown(Display* dpy) {
  XFixesCursorImage* img = XFixesGetCursorImage(dpy);
  if (!img) return -1;
  int shown = 0;
  for (unsigned long i = 0; i < (unsigned long)img->width * img->height; ++i)
    if ((img->pixels[i] >> 24) & 0xFF) shown = 1;
  XFree(img);
  return shown;
}

int main(void) {
  Display* dpy = XOpenDisplay(NULL);
  if (!dpy) return 2;
  int event_base = 0, error_base = 0;
  if (!XFixesQueryExtension(dpy, &event_base, &error_base)) return 2;
  int last = -2;
  const struct timespec pause = {0, 20 * 1000 * 1000};
  for (;;) {
    const int now = CursorShown(dpy);
    if (now < 0) return 2;
    if (now != last) {
      printf("%s\n", now ? "shown" : "blank");
      fflush(stdout);
      last = now;
    }
    nanosleep(&pause, NULL);
  }
}
