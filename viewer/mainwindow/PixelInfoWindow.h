// The pixel-information window as the frame display uses it: position labels, the
// statistics texts, the sub-frame timing and PTP offset lines. Labels are found once
// by object name.
#pragma once

#include <QHash>
#include <QString>

#include "PixelInfoText.h"

class QLabel;
class QWidget;

namespace vantory {

class PixelInfoWindow {
public:
    explicit PixelInfoWindow(QWidget* window);

    bool isShown() const;
    void showAndActivate();
    void hide();

    // "x:<x>" and "y:<y>".
    void setPosition(int x, int y);
    // Label texts by object name, in order; unknown names are skipped.
    void apply(const pixelinfo::LabelTexts& texts);
    void setTimingLines(const QString& subFrameLine, const QString& ptpLine);

    QLabel* label(const QString& objectName) const;

private:
    QWidget* window_;
    QHash<QString, QLabel*> labels_;
};

}  // namespace vantory
