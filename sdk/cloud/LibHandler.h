// Loads the optional frame filter library and creates its filter object.
#pragma once

#include <string>

#include "mvsdk/ISdkFilter.h"

namespace Movoda {

class LibHandler {
public:
    // A name without "/" is looked up beside the running program first, then in the
    // installed filter folder, then on the usual library path; a path is loaded as given.
    explicit LibHandler(const std::string& name = kSdkFilterLibraryName);
    ~LibHandler();

    LibHandler(const LibHandler&) = delete;
    LibHandler& operator=(const LibHandler&) = delete;

    // True only when the library loaded and produced a filter object.
    bool loaded() const { return loaded_; }
    ISdkFilter* filter() const { return loaded_ ? filter_ : nullptr; }
    const std::string& name() const { return name_; }

private:
    void* openLibrary();
    void unload();

    std::string name_;
    void* module_ = nullptr;
    ISdkFilter* filter_ = nullptr;
    bool loaded_ = false;
};

}  // namespace Movoda
