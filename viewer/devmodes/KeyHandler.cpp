#include "KeyHandler.h"

#include <cstring>

namespace vantory::devmodes {

KeyHandler::KeyHandler(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(kWordTimeoutMs);
    connect(&timer_, &QTimer::timeout, this, &KeyHandler::onTimeout);
    candidates_.fill(true);
}

bool KeyHandler::handleKey(int keyCode) {
    // Words are examined in table order; the first whose next letter is this key wins,
    // and every word examined before it drops out until typing starts over. The whole
    // key code is compared, so a function key whose low byte equals a letter is no letter.
    int match = -1;
    for (int i = 0; i < kModeWordCount; ++i) {
        if (!candidates_[static_cast<std::size_t>(i)]) continue;
        const char* word = kModeWords[static_cast<std::size_t>(i)];
        const int length = static_cast<int>(std::strlen(word));
        if (position_ < length && keyCode == static_cast<unsigned char>(word[position_])) {
            match = i;
            break;
        }
        candidates_[static_cast<std::size_t>(i)] = false;
    }
    if (match < 0) {
        startOver();
        return false;
    }
    if (position_ == 0) timer_.start();
    ++position_;
    if (position_ < static_cast<int>(std::strlen(kModeWords[static_cast<std::size_t>(match)]))) {
        return false;
    }
    // Finished: the next key may begin any word again.
    startOver();
    completedIndex_ = match;
    emit developerModeEnabled(match);
    return true;
}

void KeyHandler::onTimeout() {
    startOver();
}

void KeyHandler::startOver() {
    position_ = 0;
    candidates_.fill(true);
    timer_.stop();
}

}  // namespace vantory::devmodes
