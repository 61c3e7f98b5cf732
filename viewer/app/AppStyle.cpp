#include "AppStyle.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

namespace vantory {

QPalette viewerPalette() {
    QPalette palette;
    const QColor lightGray(240, 240, 240);
    palette.setColor(QPalette::Window, lightGray);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(233, 231, 227));
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Button, lightGray);
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Highlight, QColor(0, 120, 215));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

QString applyViewerStyle(QApplication& app) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(viewerPalette());
    // Each call replaces the previous sheet; the later ones win.
    app.setStyleSheet(QString::fromLatin1(kBaseStyleSheet));
    app.setStyleSheet(QString::fromLatin1(kDisabledStyleSheet));
    QFile sheet(QCoreApplication::applicationDirPath() + QString::fromLatin1(kOptionalStyleSheetPath));
    if (sheet.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
    return app.styleSheet();
}

}  // namespace vantory
