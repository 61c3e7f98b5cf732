#pragma once

#include <QApplication>

// One QApplication for every widget test in the binary, created on first use.
inline QApplication& qtTestApp()
{
    static int argc = 1;
    static char name[] = "test_widgets_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* app =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? qobject_cast<QApplication*>(QCoreApplication::instance())
                                                                  : new QApplication(argc, argv);
    return *app;
}
