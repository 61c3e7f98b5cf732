// Watches the keys typed on the main window for the developer-mode words.
#pragma once

#include <QObject>
#include <QTimer>

#include <array>

#include "DevModeConstants.h"

namespace vantory::devmodes {

class KeyHandler : public QObject {
    Q_OBJECT
public:
    explicit KeyHandler(QObject* parent = nullptr);

    // One key event's key code (letters arrive upper-case, so case does not matter).
    // True when the key finished a word.
    bool handleKey(int keyCode);

    int position() const { return position_; }
    // Index of the last finished word, -1 before any.
    int completedIndex() const { return completedIndex_; }
    // Runs from the first letter of a word until the word is finished or abandoned.
    const QTimer& timer() const { return timer_; }

signals:
    void developerModeEnabled(int index);

public slots:
    // The word was not finished in time: typing starts over.
    void onTimeout();

private:
    void startOver();

    QTimer timer_;
    int position_ = 0;
    std::array<bool, kModeWordCount> candidates_{};
    int completedIndex_ = -1;
};

}  // namespace vantory::devmodes
