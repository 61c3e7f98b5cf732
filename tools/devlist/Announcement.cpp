#include "Announcement.h"

#include "DevListConstants.h"

#include <QRegularExpression>

namespace devlist {

QString announcementAddress(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        return text;
    }
    // A colon at the very start leaves no address at all.
    return text.left(colon > 0 ? colon - 1 : 0);
}

bool isIpv4Address(const QString& address) {
    static const QRegularExpression pattern(QString::fromLatin1(kIpv4Pattern));
    return pattern.match(address).hasMatch();
}

}  // namespace devlist
