// The table of resources embedded in the library at build time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane_resources {

struct EmbeddedResource {
    int32_t id;
    const unsigned char* data;
    size_t size;
};

extern const EmbeddedResource embeddedResources[];
extern const size_t embeddedResourceCount;

}  // namespace corvane_resources
