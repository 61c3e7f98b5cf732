// The conversion's progress in the play group: a bar with "done / total" and a Cancel
// button, shown while a conversion runs, so a long conversion never looks like a hung
// window. Refreshed by a timer from the conversion's counters.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QGroupBox;
class QProgressBar;
class QPushButton;

namespace vantory::exports {

class BatchConversion;

constexpr int kProgressRefreshMs = 200;
constexpr const char* kCancelText = "Cancel";
constexpr const char* kProgressFormat = "%v / %m";

class ConversionPanel : public QObject {
    Q_OBJECT
public:
    // Adds its widgets as a new row of the play group's grid. `cancel` runs on Cancel.
    ConversionPanel(QGroupBox* playGroup, BatchConversion& conversion,
                    std::function<void()> cancel);

    // Shows the panel and follows the conversion until it ends.
    void follow();
    void refresh();

    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    BatchConversion& conversion_;
    std::function<void()> onCancel_;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer timer_;
};

}  // namespace vantory::exports
