// The operations of the frame that views, containers and drawing contexts
// call. They take the frame as a CFrame pointer so that the view headers need
// not see the frame's class; the frame's source file defines them. Every one
// accepts a null frame and then does nothing (answers null, false or leaves
// the out value alone).
#pragma once

#include <cstdint>

#include "toolkit/basic_types.h"

namespace toolkit {

class CFrame;
class CView;
class CViewContainer;

// The frame as the container at the root of its tree (null for null).
CViewContainer* frameAsContainer(CFrame* frame);
// Draws one view at once on the frame's window (the whole frame for null).
void frameDrawView(CFrame* frame, CView* view);
// The frame's keyboard focus view.
CView* frameGetFocusView(CFrame* frame);
void frameSetFocusView(CFrame* frame, CView* view);
// The pointer position in the frame's coordinates; false without a frame.
bool frameGetCurrentLocation(CFrame* frame, CSpot& where);
// The pointer position in screen coordinates; false without a frame.
bool frameGetPointerScreenPosition(CFrame* frame, CSpot& where);
// The current button-and-modifier mask; false (buttons unchanged) without a frame.
bool frameReadButtonState(CFrame* frame, int32_t& buttons);

}  // namespace toolkit
