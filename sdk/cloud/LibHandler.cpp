#include "cloud/LibHandler.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "VantoryBuildInfo.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace {

std::string programDirectory() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return std::string();
    const std::string path(buffer.data(), static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

LibHandler::LibHandler(const std::string& name) : name_(name) {
    std::printf("start loading win32 lib %s\n", name_.c_str());
    module_ = openLibrary();
    if (module_ == nullptr) {
        const char* error = ::dlerror();
        std::fprintf(stderr, "Cannot open library: %s\n", error ? error : "unknown error");
        return;
    }
    std::printf("loading win32 success %s\n", name_.c_str());

    ::dlerror();
    void* symbol = ::dlsym(module_, kCreateBaseFilterSymbol);
    if (symbol == nullptr) {
        std::fprintf(stderr, "Cannot load symbol createBaseFilter\n");
        unload();
        return;
    }
    auto create = reinterpret_cast<CreateBaseFilterFunction>(symbol);
    filter_ = create(&appLog);
    if (filter_ == nullptr) {
        // A library that cannot build its object is treated like one without the entry.
        std::fprintf(stderr, "createBaseFilter returned no filter object\n");
        unload();
        return;
    }
    filter_->initialise();
    loaded_ = true;
}

LibHandler::~LibHandler() { unload(); }

void* LibHandler::openLibrary() {
    const int flags = RTLD_NOW | RTLD_LOCAL;
    if (name_.find('/') != std::string::npos) return ::dlopen(name_.c_str(), flags);
    // Beside the program (the build tree), then the installed filter folder: as the
    // installation placed it relative to the programs, and where it was meant to go.
    std::vector<std::string> folders;
    const std::string dir = programDirectory();
    if (!dir.empty()) {
        folders.push_back(dir);
        folders.push_back(dir + "/" + vantory::buildinfo::kFilterDirFromPrograms);
    }
    folders.push_back(vantory::buildinfo::kFilterDir);
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + name_;
        if (::access(path.c_str(), F_OK) == 0) {
            if (void* module = ::dlopen(path.c_str(), flags)) return module;
        }
    }
    return ::dlopen(name_.c_str(), flags);
}

void LibHandler::unload() {
    loaded_ = false;
    // The object's code lives in the library: delete it before the library goes.
    delete filter_;
    filter_ = nullptr;
    if (module_ != nullptr) {
        ::dlclose(module_);
        module_ = nullptr;
    }
}

}  // namespace Movoda
