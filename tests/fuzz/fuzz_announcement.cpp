// Camera announcements as the device list reads them: the address in front of the fields.
#include <QString>

#include "Announcement.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString address = devlist::announcementAddress(text);
    fuzzcheck::require(text.startsWith(address), "the address is not the start of the text");
    if (devlist::isIpv4Address(address))
        fuzzcheck::require(address.count(QLatin1Char('.')) == 3, "an address without four parts");
    return 0;
}
