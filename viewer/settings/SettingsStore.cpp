#include "SettingsStore.h"

#include "SettingsKeys.h"

namespace vantory {

SettingsStore::SettingsStore(const QString& fileName) : fileName_(fileName) {}

int SettingsStore::uiLanguage() const {
    QSettings file(fileName_, QSettings::IniFormat);
    return file.value(QString::fromLatin1(settings::kUiLanguage), 0).toInt();
}

ConnectionSettings SettingsStore::connection() const {
    QSettings file(fileName_, QSettings::IniFormat);
    ConnectionSettings result;
    const bool firstRun = !file.contains(QString::fromLatin1(settings::kIpAddress));
    const int usbDefault = settings::kDefaultIfSelUsb;
    const int typeDefault = firstRun ? settings::kDefaultImgType : 0;
    result.useUsb = file.value(QString::fromLatin1(settings::kIfSelUsb), usbDefault).toInt() == 1;
    result.ipAddress =
        file.value(QString::fromLatin1(settings::kIpAddress), QString::fromLatin1(settings::kDefaultIpAddress))
            .toString();
    result.imageTypeIndex = file.value(QString::fromLatin1(settings::kImgType), typeDefault).toInt();
    return result;
}

}  // namespace vantory
