// Prints how many pixels of the cursor now shown at the pointer are not fully transparent: 0 when
// the window under the pointer hides the cursor. Exits 2 when it cannot ask the X server.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cursor_probe: cannot open the display\n");
        return 2;
    }
    int eventBase = 0;
    int errorBase = 0;
    XFixesCursorImage* image = XFixesQueryExtension(display, &eventBase, &errorBase)
                                   ? XFixesGetCursorImage(display)
                                   : nullptr;
    if (image == nullptr) {
        std::fprintf(stderr, "cursor_probe: the X server does not show its cursor image\n");
        XCloseDisplay(display);
        return 2;
    }
    long shown = 0;
    for (long i = 0; i < static_cast<long>(image->width) * image->height; ++i) {
        if ((image->pixels[i] >> 24 & 0xFF) != 0) ++shown;  // ARGB: alpha in the top byte
    }
    std::printf("%ld\n", shown);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
