#include "ConversionPanel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>

#include "BatchConversion.h"

namespace vantory::exports {

ConversionPanel::ConversionPanel(QGroupBox* playGroup, BatchConversion& conversion,
                                 std::function<void()> cancel)
    : QObject(playGroup), conversion_(conversion), onCancel_(std::move(cancel)) {
    bar_ = new QProgressBar(playGroup);
    bar_->setObjectName(QStringLiteral("progressBar_convert"));
    bar_->setFormat(QString::fromLatin1(kProgressFormat));
    bar_->setTextVisible(true);
    cancel_ = new QPushButton(QString::fromLatin1(kCancelText), playGroup);
    cancel_->setObjectName(QStringLiteral("pushButton_convertcancel"));
    if (auto* grid = qobject_cast<QGridLayout*>(playGroup->layout())) {
        const int row = grid->rowCount();
        const int columns = std::max(2, grid->columnCount());
        grid->addWidget(bar_, row, 0, 1, columns - 1);
        grid->addWidget(cancel_, row, columns - 1);
    }
    bar_->hide();
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (onCancel_) onCancel_();
        refresh();
    });
    timer_.setInterval(kProgressRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &ConversionPanel::refresh);
}

void ConversionPanel::follow() {
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->show();
    cancel_->show();
    timer_.start();
}

void ConversionPanel::refresh() {
    const ConversionCounts c = conversion_.counts();
    if (!c.running || !conversion_.converting()) {
        timer_.stop();
        bar_->hide();
        cancel_->hide();
        return;
    }
    bar_->setRange(0, std::max(1, c.total));
    bar_->setValue(c.done);
}

}  // namespace vantory::exports
