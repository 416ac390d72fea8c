#include "Module.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace hostsim {

#if defined(_WIN32)

Module::Module(const std::string& path) {
    HMODULE library = LoadLibraryA(path.c_str());
    if (library == nullptr) {
        error_ = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return;
    }
    handle_ = library;
    talk_ =
        reinterpret_cast<EventFunction>(reinterpret_cast<void*>(GetProcAddress(library, "talk")));
    if (talk_ == nullptr) {
        error_ = path + " does not export talk";
        unload();
    }
}

void Module::unload() {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle_));
    }
    handle_ = nullptr;
    talk_ = nullptr;
}

#else

Module::Module(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error_ = "cannot load " + path + (reason != nullptr ? std::string(": ") + reason : "");
        return;
    }
    talk_ = reinterpret_cast<EventFunction>(dlsym(handle_, "talk"));
    if (talk_ == nullptr) {
        error_ = path + " does not export talk";
        unload();
    }
}

void Module::unload() {
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
    handle_ = nullptr;
    talk_ = nullptr;
}

#endif

Module::~Module() {
    unload();
}

} // namespace hostsim
