// The directories files were last played from: at most five absolute, cleaned paths,
// most recent first, without duplicates, in the native settings store.
#pragma once

#include <QSettings>
#include <QStringList>

#include <functional>
#include <memory>

namespace vantory::records {

class RecentDirs {
public:
    using StoreFactory = std::function<std::unique_ptr<QSettings>()>;
    // The native store of "Playlist"/"Settings" unless another is given (tests).
    explicit RecentDirs(StoreFactory store = nativeStore);
    static std::unique_ptr<QSettings> nativeStore();

    QStringList load() const;
    // False (and a printed reason) when the store cannot be written.
    bool save(const QStringList& dirs) const;
    // Moves the directory of the first file to the front of the list.
    void addFromFiles(const QStringList& paths) const;

private:
    StoreFactory store_;
};

}  // namespace vantory::records
