// The frame operations for a build that has no frame class: every view is
// then outside any frame, and each operation does what it does for a null
// frame. The frame's own source replaces this file when it is built.
#include "toolkit/frame_calls.h"

namespace toolkit {

CViewContainer* frameAsContainer(CFrame*) { return nullptr; }
void frameDrawView(CFrame*, CView*) {}
CView* frameGetFocusView(CFrame*) { return nullptr; }
void frameSetFocusView(CFrame*, CView*) {}
bool frameGetCurrentLocation(CFrame*, CSpot&) { return false; }
bool frameGetPointerScreenPosition(CFrame*, CSpot&) { return false; }
bool frameReadButtonState(CFrame*, int32_t&) { return false; }

}  // namespace toolkit
