// What tests of the X11 window backend may look at and change. Nothing of
// the plug-in uses these.
#pragma once

#include <cstdint>

namespace toolkit::platform {
class NativeWindow;
}

namespace toolkit::platform::x11 {

struct Statistics {
    uint32_t imageRequests = 0;        // put_image requests sent through the socket
    uint32_t sharedImageRequests = 0;  // put_image requests from shared memory
    uint32_t errors = 0;               // errors the server reported on our connection
};

// Whether the process-wide connection is open now.
bool connectionIsOpen();
Statistics statistics();
void resetStatistics();
// false: windows made from now on send their pixels through the socket even
// when the server offers shared memory.
void allowSharedMemory(bool allowed);
// Caps the request size used to cut images into strips (0: the server's own
// limit), to make strips on a server whose limit is large.
void limitRequestSize(uint32_t bytes);
// Whether an X11 window's pixels go through shared memory.
bool usesSharedMemory(NativeWindow* window);

}  // namespace toolkit::platform::x11
