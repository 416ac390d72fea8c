#include "Module.h"

#include <dlfcn.h>

namespace hostsim {

Module::Module(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        // The system's reason, without the path it usually starts with, which is named once.
        const char* reason = dlerror();
        std::string why = reason != nullptr ? reason : "";
        why.erase(0, why.rfind(path + ": ", 0) == 0 ? path.size() + 2 : 0);
        error_ = "cannot load " + path + (why.empty() ? "" : ": " + why);
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

Module::~Module() {
    unload();
}

} // namespace hostsim
