// The few X calls the point-cloud window makes itself. Kept apart from the visualiser
// code because Xlib's macros clash with the headers it uses.
#pragma once

#include "WindowGeometry.h"

class vtkRenderWindowInteractor;

namespace vantory::cloudview {

using vantory::WindowGeometry;

// Where an X window is now: its origin on the root window and its size. All zero when
// the display or window is missing.
WindowGeometry x11WindowGeometry(void* display, unsigned long window);

// XInitThreads, for programs that open the point-cloud window and must call it before
// any other X call.
void initialiseX11Threads();

// Hands every X event waiting on the render window's connection to its interactor
// (mouse, keys, exposure, resizing) without waiting for more. True when the window
// manager asked to close the window (the user's close box); that event is kept back.
bool dispatchPendingEvents(vtkRenderWindowInteractor* interactor, void* display);

}  // namespace vantory::cloudview
