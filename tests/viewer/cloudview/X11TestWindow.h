// A test's own connection to the X server, to look at and handle the point-cloud window
// as a user or a window manager would: read its pixels, move and resize it, close it.
#pragma once

#include <QImage>

namespace x11test {

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return display_ != nullptr; }
    void* display() const { return display_; }

    // The window's pixels as the X server holds them; null when it cannot be read.
    QImage grab(unsigned long window);
    void moveResize(unsigned long window, int x, int y, int width, int height);
    // Brings the window above the others, as a click on it would.
    void raise(unsigned long window);
    // What a window manager sends when the user clicks the close box.
    void requestClose(unsigned long window);

private:
    void* display_ = nullptr;
};

}  // namespace x11test
