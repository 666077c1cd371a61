#include "shell/module_handle.h"

#include <dlfcn.h>

void* moduleHandle = nullptr;

namespace {

// Runs when the library is loaded (and again, harmlessly, if a host reloads it):
// the base address of the object that holds this very function.
__attribute__((constructor)) void storeModuleHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&storeModuleHandle), &info) != 0) {
        moduleHandle = info.dli_fbase;
    }
}

}  // namespace
