// The link-health panel: one caption and one value per figure of the last 10 s.
#pragma once

#include <QWidget>

#include <vector>

#include "analysis/LinkHealth.h"

class QLabel;

namespace vantory::measure {

class LinkHealthPanel : public QWidget {
    Q_OBJECT
public:
    explicit LinkHealthPanel(QWidget* parent = nullptr);

    void showFigures(const analysis::LinkHealthFigures& figures);
    // The value texts in row order (tests).
    QStringList valueTexts() const;
    bool isAmber() const { return amber_; }

private:
    std::vector<QLabel*> values_;
    QLabel* state_ = nullptr;
    bool amber_ = false;
};

}  // namespace vantory::measure
