#include "MainWindowForm.h"

#include "DevListConstants.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

namespace devlist {

void MainWindowForm::setupUi(QMainWindow* window) {
    if (window->objectName().isEmpty()) {
        window->setObjectName(QStringLiteral("MainWindow"));
    }
    window->resize(kWindowWidth, kWindowHeight);

    centralwidget = new QWidget(window);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));
    verticalLayout = new QVBoxLayout(centralwidget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    listWidget_dev = new QListWidget(centralwidget);
    listWidget_dev->setObjectName(QStringLiteral("listWidget_dev"));
    verticalLayout->addWidget(listWidget_dev);
    window->setCentralWidget(centralwidget);

    menubar = new QMenuBar(window);
    menubar->setObjectName(QStringLiteral("menubar"));
    menubar->setGeometry(QRect(0, 0, kWindowWidth, kMenuBarHeight));
    window->setMenuBar(menubar);

    statusbar = new QStatusBar(window);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    window->setStatusBar(statusbar);

    retranslateUi(window);
    QMetaObject::connectSlotsByName(window);
}

void MainWindowForm::retranslateUi(QMainWindow* window) {
    window->setWindowTitle(QCoreApplication::translate("MainWindow", "MainWindow"));
}

}  // namespace devlist
