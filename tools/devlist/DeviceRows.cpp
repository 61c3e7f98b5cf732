#include "DeviceRows.h"

#include "Announcement.h"
#include "DevListConstants.h"

#include <QDebug>
#include <QListWidget>

namespace devlist {

DeviceRows::DeviceRows(QListWidget* list) : list_(list) {}

DeviceRows::Outcome DeviceRows::announce(const QString& text, qint64 nowMs) {
    const QString address = announcementAddress(text);
    qDebug() << address;
    if (!isIpv4Address(address)) {
        return Outcome::Ignored;
    }
    // Rows are matched by substring, as users of the list have always seen it behave:
    // the first row whose text contains the address is the camera's row.
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        if (item->text().contains(address, Qt::CaseSensitive)) {
            item->setText(text);
            stampsMs_[row] = nowMs;
            qDebug() << kRefreshMessage;
            return Outcome::Refreshed;
        }
    }
    list_->addItem(text);
    stampsMs_.append(nowMs);
    return Outcome::Added;
}

int DeviceRows::expire(qint64 nowMs) {
    int removed = 0;
    // Walking backwards keeps the indices of the rows still to visit valid.
    for (int row = stampsMs_.size() - 1; row >= 0; --row) {
        if (nowMs - stampsMs_[row] > kSilenceLimitMs) {
            delete list_->takeItem(row);
            stampsMs_.remove(row);
            ++removed;
        }
    }
    return removed;
}

int DeviceRows::count() const {
    return list_->count();
}

}  // namespace devlist
