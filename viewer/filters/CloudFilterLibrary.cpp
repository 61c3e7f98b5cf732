#include "CloudFilterLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>
#include <system_error>

#include "FilterConstants.h"

namespace vantory::filters {

std::string programDirectory() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

CloudFilterLibrary::CloudFilterLibrary(const std::string& directory, const std::string& name) {
    if (!directory.empty()) {
        handle_ = dlopen((std::filesystem::path(directory) / name).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (handle_ == nullptr) handle_ = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) {
        filter_ = reinterpret_cast<Movoda::pclfilter::FilterFunction>(
            dlsym(handle_, Movoda::pclfilter::kFilterSymbol));
        getConfig_ = reinterpret_cast<Movoda::pclfilter::GetConfigFunction>(
            dlsym(handle_, Movoda::pclfilter::kGetConfigSymbol));
    }
    // A library without its filter entry cannot do the one thing it is loaded for.
    if (filter_ == nullptr) {
        if (handle_ != nullptr) dlclose(handle_);
        handle_ = nullptr;
        getConfig_ = nullptr;
        std::cout << kCloudLibraryMissingText << std::endl;
    }
}

CloudFilterLibrary::~CloudFilterLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

std::optional<Movoda::pclfilter::Config> CloudFilterLibrary::config() const {
    if (getConfig_ == nullptr) return std::nullopt;
    Movoda::pclfilter::Config config;
    getConfig_(&config);
    return config;
}

std::string CloudFilterLibrary::versionCaption() const {
    const auto c = config();
    if (!c) return {};
    return kCloudFilterCaptionPrefix + std::to_string(c->versionMajor) + '.' +
           std::to_string(c->versionMinor) + '.' + std::to_string(c->versionPatch);
}

cloudview::CloudConstPtr CloudFilterLibrary::filter(const cloudview::CloudConstPtr& cloud) const {
    if (filter_ == nullptr || !cloud) return cloud;
    // The entry takes a mutable handle by its signature but only reads the source.
    auto source = std::const_pointer_cast<cloudview::Cloud>(cloud);
    auto target = std::make_shared<cloudview::Cloud>();
    filter_(&source, target);
    return target;
}

}  // namespace vantory::filters
