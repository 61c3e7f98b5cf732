#include "LinkHealthPanel.h"

#include <QGridLayout>
#include <QLabel>

#include "MeasureTexts.h"

namespace vantory::measure {

namespace {

// Object names of the row captions, in the order of linkHealthRows().
const char* const kRowNames[] = {"label_lhFps",        "label_lhLost",      "label_lhBroken",
                                 "label_lhEvicted",    "label_lhLate",      "label_lhDrops",
                                 "label_lhLatencyMed", "label_lhLatencyP99"};

}  // namespace

LinkHealthPanel::LinkHealthPanel(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    const auto rows = linkHealthRows(analysis::LinkHealthFigures{});
    int row = 0;
    for (const auto& [caption, value] : rows) {
        auto* name = new QLabel(caption, this);
        if (row < static_cast<int>(std::size(kRowNames)))
            name->setObjectName(QLatin1String(kRowNames[row]));
        auto* shown = new QLabel(value, this);
        shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(name, row, 0);
        grid->addWidget(shown, row, 1);
        values_.push_back(shown);
        ++row;
    }
    state_ = new QLabel(this);
    grid->addWidget(state_, row, 0, 1, 2);
    grid->setRowStretch(row + 1, 1);
}

void LinkHealthPanel::showFigures(const analysis::LinkHealthFigures& figures) {
    const auto rows = linkHealthRows(figures);
    for (std::size_t i = 0; i < rows.size() && i < values_.size(); ++i)
        values_[i]->setText(rows[i].second);
    amber_ = figures.amber;
    state_->setText(amber_ ? QStringLiteral("Loss above 1 %") : QString());
    state_->setStyleSheet(amber_ ? QStringLiteral("color: #b07800; font-weight: bold;")
                                 : QString());
}

QStringList LinkHealthPanel::valueTexts() const {
    QStringList texts;
    for (const QLabel* label : values_) texts << label->text();
    return texts;
}

}  // namespace vantory::measure
