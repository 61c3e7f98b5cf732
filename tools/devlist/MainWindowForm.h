#pragma once

class QListWidget;
class QMainWindow;
class QMenuBar;
class QStatusBar;
class QVBoxLayout;
class QWidget;

namespace devlist {

// The device list window's widgets, built in code in the shape of a generated form.
struct MainWindowForm {
    QWidget* centralwidget = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QListWidget* listWidget_dev = nullptr;
    QMenuBar* menubar = nullptr;
    QStatusBar* statusbar = nullptr;

    void setupUi(QMainWindow* window);
    void retranslateUi(QMainWindow* window);
};

}  // namespace devlist
