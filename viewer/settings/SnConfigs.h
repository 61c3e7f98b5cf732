// Per-camera configuration folders: "sncfgs" beside the program holds one folder per
// camera (or group of cameras) whose name occurs in the serial number.
#pragma once

#include <QString>

#include <optional>

namespace vantory::settings {

constexpr const char* kSnConfigFolder = "sncfgs";

// The first folder under `programDirectory`/sncfgs whose upper-case name occurs in the
// upper-case serial number; empty when none does. Entries that are not folders are
// listed on standard output ("File:" + path) when `debug` is set.
std::optional<QString> findSnConfigFolder(const QString& programDirectory,
                                          const QString& serialText, bool debug);

// Where the scene file is read: the working directory's copy when there is one, else
// the one installed beside the program.
QString sceneFilePath(const QString& programDirectory);

}  // namespace vantory::settings
