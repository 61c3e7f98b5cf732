#include "X11TestWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace x11test {

namespace {
Display* asDisplay(void* d) {
    return static_cast<Display*>(d);
}
}  // namespace

Connection::Connection() : display_(XOpenDisplay(nullptr)) {}

Connection::~Connection() {
    if (display_ != nullptr) XCloseDisplay(asDisplay(display_));
}

QImage Connection::grab(unsigned long window) {
    Display* d = asDisplay(display_);
    XWindowAttributes attributes;
    if (d == nullptr || XGetWindowAttributes(d, window, &attributes) == 0) return QImage();
    XImage* image = XGetImage(d, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return QImage();
    QImage result(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            result.setPixel(x, y,
                            qRgb(int((p & image->red_mask) >> 16),
                                 int((p & image->green_mask) >> 8), int(p & image->blue_mask)));
        }
    }
    XDestroyImage(image);
    return result;
}

void Connection::moveResize(unsigned long window, int x, int y, int width, int height) {
    Display* d = asDisplay(display_);
    XMoveResizeWindow(d, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(d, False);
}

void Connection::raise(unsigned long window) {
    Display* d = asDisplay(display_);
    XRaiseWindow(d, window);
    XSync(d, False);
}

void Connection::requestClose(unsigned long window) {
    Display* d = asDisplay(display_);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", True);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &event);
    XSync(d, False);
}

}  // namespace x11test
