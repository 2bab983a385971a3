/* gammaprobe: reads the red gamma of an X window's colormap at input 0 and 255, or
 * ("--window") shows a small window of its own and prints its id, to take the focus away. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int Shift(unsigned long mask)
{
    int s = 0;
    while (mask && !(mask & 1)) { mask >>= 1; s++; }
    return s;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: gammaprobe WINDOW-ID | --window\n");
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "gammaprobe: no display\n");
        return 1;
    }
    if (strcmp(argv[1], "--window") == 0) {
        Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 64, 64, 0, 0, 0);
        XStoreName(d, w, "gammaprobe");
        XMapWindow(d, w);
        XSync(d, False);
        printf("%lu\n", (unsigned long)w);
        fflush(stdout);
        for (;;) pause();
    }
    Window w = (Window)strtoul(argv[1], NULL, 0);
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) return 1;
    if (a.visual->class != DirectColor) {
        printf("not-directcolor\n");
        return 3;
    }
    int shift = Shift(a.visual->red_mask);
    XColor c[2];
    c[0].pixel = 0;
    c[1].pixel = (255UL << shift) & a.visual->red_mask;
    XQueryColors(d, a.colormap, c, 2);
    printf("%u %u\n", c[0].red, c[1].red);
    XCloseDisplay(d);
    return 0;
}
