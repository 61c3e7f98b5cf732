#include "PixelInfoWindow.h"

#include <QLabel>
#include <QWidget>

namespace vantory {

PixelInfoWindow::PixelInfoWindow(QWidget* window) : window_(window) {
    for (QLabel* label : window_->findChildren<QLabel*>()) {
        if (!label->objectName().isEmpty()) labels_.insert(label->objectName(), label);
    }
}

bool PixelInfoWindow::isShown() const { return !window_->isHidden(); }

void PixelInfoWindow::showAndActivate() {
    window_->show();
    window_->activateWindow();
}

void PixelInfoWindow::hide() { window_->hide(); }

QLabel* PixelInfoWindow::label(const QString& objectName) const { return labels_.value(objectName, nullptr); }

void PixelInfoWindow::setPosition(int x, int y) {
    if (QLabel* l = label(QStringLiteral("label_pos_selx"))) l->setText(QStringLiteral("x:%1").arg(x));
    if (QLabel* l = label(QStringLiteral("label_pos_sely"))) l->setText(QStringLiteral("y:%1").arg(y));
}

void PixelInfoWindow::apply(const pixelinfo::LabelTexts& texts) {
    for (const auto& entry : texts) {
        if (QLabel* l = label(entry.first)) l->setText(entry.second);
    }
}

void PixelInfoWindow::setTimingLines(const QString& subFrameLine, const QString& ptpLine) {
    if (QLabel* l = label(QStringLiteral("label_timestamps"))) l->setText(subFrameLine);
    if (QLabel* l = label(QStringLiteral("label_others"))) l->setText(ptpLine);
}

}  // namespace vantory
