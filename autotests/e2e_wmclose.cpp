// SPDX-License-Identifier: GPL-3.0-or-later
// The close box of a window manager, for the end-to-end runs: sends WM_DELETE_WINDOW
// to the window given by its id.
#include <X11/Xlib.h>
#include <stdlib.h>
int main(int argc, char **argv)
{
    if (argc < 2) return 2;
    Display *d = XOpenDisplay(nullptr);
    if (!d) return 1;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = Window(strtoul(argv[1], nullptr, 0));
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    XCloseDisplay(d);
    return 0;
}
