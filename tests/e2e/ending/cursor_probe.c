/* Prints whether the X server shows a visible mouse cursor: "shown" when
 * the current cursor image has a pixel that is not wholly transparent,
 * "blank" when it has none. Exit status 2 when the display or the XFIXES
 * extension is not there. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>

int main(void) {
  Display* dpy = XOpenDisplay(NULL);
  if (!dpy) return 2;
  int event_base = 0, error_base = 0;
  if (!XFixesQueryExtension(dpy, &event_base, &error_base)) return 2;
  XFixesCursorImage* img = XFixesGetCursorImage(dpy);
  if (!img) return 2;
  int shown = 0;
  for (unsigned long i = 0; i < (unsigned long)img->width * img->height; ++i)
    if ((img->pixels[i] >> 24) & 0xFF) shown = 1;
  printf("%s\n", shown ? "shown" : "blank");
  XFree(img);
  XCloseDisplay(dpy);
  return 0;
}
