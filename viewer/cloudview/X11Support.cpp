#include <X11/Xlib.h>
#include <vtkXRenderWindowInteractor.h>

#include "X11Support.h"

namespace vantory::cloudview {

void initialiseX11Threads() {
    XInitThreads();
}

bool dispatchPendingEvents(vtkRenderWindowInteractor* interactor, void* displayId) {
    auto* x = vtkXRenderWindowInteractor::SafeDownCast(interactor);
    auto* display = static_cast<Display*>(displayId);
    if (x == nullptr || display == nullptr) return false;
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    bool closeAsked = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            closeAsked = true;
            continue;
        }
        x->DispatchEvent(&event);
    }
    return closeAsked;
}

WindowGeometry x11WindowGeometry(void* displayId, unsigned long windowId) {
    WindowGeometry g;
    auto* display = static_cast<Display*>(displayId);
    const auto window = static_cast<Window>(windowId);
    if (display == nullptr || window == 0) return g;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) return g;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    if (XTranslateCoordinates(display, window, attributes.root, 0, 0, &rootX, &rootY, &child) == 0)
        return g;
    g.x = rootX;
    g.y = rootY;
    g.width = attributes.width;
    g.height = attributes.height;
    return g;
}

}  // namespace vantory::cloudview
