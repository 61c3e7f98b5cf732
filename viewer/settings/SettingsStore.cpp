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

CloudWindowSettings SettingsStore::cloudWindow() const {
    QSettings file(fileName_, QSettings::IniFormat);
    CloudWindowSettings result;
    result.x = file.value(QString::fromLatin1(settings::kPclWinX), 0).toInt();
    result.y = file.value(QString::fromLatin1(settings::kPclWinY), 0).toInt();
    result.width = file.value(QString::fromLatin1(settings::kPclWinWidth), 0).toInt();
    result.height = file.value(QString::fromLatin1(settings::kPclWinHeight), 0).toInt();
    result.showGrid = file.value(QString::fromLatin1(settings::kCloudShowGrid), settings::kDefaultCloudShowGrid).toBool();
    result.gridHeight =
        file.value(QString::fromLatin1(settings::kCloudGridHeight), settings::kDefaultCloudGridHeight).toDouble();
    return result;
}

void SettingsStore::saveCloudWindowGeometry(int x, int y, int width, int height) const {
    QSettings file(fileName_, QSettings::IniFormat);
    file.setValue(QString::fromLatin1(settings::kPclWinX), x);
    file.setValue(QString::fromLatin1(settings::kPclWinY), y);
    file.setValue(QString::fromLatin1(settings::kPclWinWidth), width);
    file.setValue(QString::fromLatin1(settings::kPclWinHeight), height);
}

}  // namespace vantory
