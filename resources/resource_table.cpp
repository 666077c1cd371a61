// The library's bitmap resources: ids 1, 100, 128 and 129, each a BMP file
// embedded at build time. On Linux the files live in the library's own data,
// so the module handle is not needed to find them.
#include "resources/embedded_resources.h"
#include "toolkit/platform/platform.h"

namespace toolkit::platform {

ResourceBytes findBitmapResource(void* /*module*/, int32_t resourceId) {
    for (size_t i = 0; i < corvane_resources::embeddedResourceCount; ++i) {
        const corvane_resources::EmbeddedResource& entry = corvane_resources::embeddedResources[i];
        if (entry.id == resourceId) return ResourceBytes{entry.data, entry.size};
    }
    return ResourceBytes{};
}

}  // namespace toolkit::platform
