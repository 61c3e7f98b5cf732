#include "RecentDirs.h"

#include <QDir>
#include <QFileInfo>

#include <iostream>

#include "RecordsConstants.h"

namespace vantory::records {

RecentDirs::RecentDirs(StoreFactory store) : store_(std::move(store)) {}

std::unique_ptr<QSettings> RecentDirs::nativeStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QString::fromLatin1(kRecentOrganisation),
                                       QString::fromLatin1(kRecentApplication));
}

QStringList RecentDirs::load() const {
    return store_()->value(QString::fromLatin1(kRecentDirsKey)).toStringList();
}

bool RecentDirs::save(const QStringList& dirs) const {
    std::unique_ptr<QSettings> store = store_();
    store->setValue(QString::fromLatin1(kRecentDirsKey), dirs);
    store->sync();
    if (store->status() == QSettings::NoError) return true;
    const char* reason =
        store->status() == QSettings::AccessError ? "access error" : "format error";
    std::cerr << "[CRITICAL] [RecentFiles] Save failed: " << reason << " ("
              << store->fileName().toStdString() << ")" << std::endl;
    return false;
}

void RecentDirs::addFromFiles(const QStringList& paths) const {
    if (paths.isEmpty()) {
        std::cerr << "[WARN] [RecentFiles] Empty file list provided" << std::endl;
        return;
    }
    const QFileInfo first(paths.first());
    if (!first.exists()) {
        std::cerr << "[ERROR] [RecentFiles] Invalid file path: "
                  << first.absoluteFilePath().toStdString() << std::endl;
        return;
    }
    const QString dir = QDir::cleanPath(first.absolutePath());
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        std::cerr << "[ERROR] [RecentFiles] Invalid directory: " << dir.toStdString() << std::endl;
        return;
    }
    QStringList dirs = load();
    if (dirs.isEmpty())
        std::cout << "[INFO] [RecentFiles] Initializing empty recent dirs list" << std::endl;
    if (dirs.removeAll(dir) > 0)
        std::cout << "[DEBUG] [RecentFiles] Removed duplicates: " << dir.toStdString() << std::endl;
    dirs.prepend(dir);
    while (dirs.size() > kMaxRecentDirs) dirs.removeLast();
    save(dirs);
}

}  // namespace vantory::records
