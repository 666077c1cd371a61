// CView: the defaults every view inherits, coordinate conversion through the
// parents, and redrawing through the parents.
#include "toolkit/view.h"

#include <cstring>

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/frame_calls.h"
#include "toolkit/view_container.h"

namespace toolkit {

const char* const containerCheckMessage = "kMsgCheckIfViewContainer";

CView::CView(const CArea& area) : size(area), mouseArea(area) {}

CView::~CView() {
    if (background) background->release();
    background = nullptr;
}

void CView::draw(CDrawContext* context) {
    if (background) {
        if (transparent)
            background->drawTransparent(context, size, CSpot(0, 0));
        else
            background->drawBitmap(context, size, CSpot(0, 0));
    }
    setDirty(false);
}

void CView::drawArea(CDrawContext* context, const CArea&) { draw(context); }

bool CView::overlaps(const CArea& area) { return size.overlaps(area); }

void CView::onMouseDown(CDrawContext*, CSpot, int32_t) {}

void CView::setBackground(CBitmap* bitmap) {
    // Retain first: setting the bitmap the view already holds must not free it.
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
    setDirty(true);
}

CBitmap* CView::getBackground() { return background; }

int32_t CView::onKeyDown(VstKeyCode&) { return -1; }
int32_t CView::onKeyUp(VstKeyCode&) { return -1; }

bool CView::onWheelAxis(CDrawContext* context, CSpot where, int32_t, float distance) {
    return onWheel(context, where, distance);
}

bool CView::onWheel(CDrawContext*, CSpot, float) { return false; }

bool CView::onDrop(CDrawContext*, CDragContainer*, CSpot) { return false; }
void CView::onDragEnter(CDrawContext*, CDragContainer*, CSpot) {}
void CView::onDragLeave(CDrawContext*, CDragContainer*, CSpot) {}
void CView::onDragMove(CDrawContext*, CDragContainer*, CSpot) {}

void CView::loseFocus(CDrawContext*) {}
void CView::takeFocus(CDrawContext*) {}

bool CView::isDirty() { return dirty; }
void CView::setDirty(bool value) { dirty = value; }

void CView::setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
bool CView::getMouseEnabled() { return mouseEnabled; }

void CView::setMouseArea(const CArea& area) { mouseArea = area; }
void CView::getMouseArea(CArea& area) { area = mouseArea; }

bool CView::hitTest(CSpot where, int32_t) { return mouseArea.containsPoint(where); }

void CView::setTransparency(bool value) { transparent = value; }
bool CView::getTransparency() { return transparent; }

void CView::setViewSize(const CArea& area) {
    size = area;
    setDirty(true);
}

void CView::getViewSize(CArea& area) { area = size; }

bool CView::onRemoved(CView*) { return true; }
bool CView::onAttached(CView*) { return true; }

bool CView::parentIsContainer() {
    return parentView && parentView->notify(this, containerCheckMessage) == 1;
}

void CView::getMouseLocation(CDrawContext* context, CSpot& where) {
    if (!context) return;
    if (!parentIsContainer()) {
        CSpot screen;
        frameGetPointerScreenPosition(frame, screen);
        where = CSpot(screen.x - context->windowOrigin.x, screen.y - context->windowOrigin.y);
        return;
    }
    // Ask the parent with the context moved into the parent's own coordinates.
    CArea parentSize;
    parentView->getViewSize(parentSize);
    const CSpot savedOrigin = context->windowOrigin;
    const CSpot savedOffset = context->drawOffset;
    context->windowOrigin.offset(parentSize.left, parentSize.top);
    context->drawOffset.offset(parentSize.left, parentSize.top);
    parentView->getMouseLocation(context, where);
    context->windowOrigin = savedOrigin;
    context->drawOffset = savedOffset;
}

CSpot CView::frameToLocal(CSpot point) {
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->frameToLocal(point);
    return point;
}

CSpot CView::localToFrame(CSpot point) {
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->localToFrame(point);
    return point;
}

AEffGUIEditor* CView::getEditor() {
    CViewContainer* root = frameAsContainer(frame);
    // The frame answers for itself; a view that is the root has no editor of its own.
    if (!root || root == static_cast<CView*>(this)) return nullptr;
    return root->getEditor();
}

int32_t CView::notify(CView*, const char*) { return 0; }

void CView::invalidateArea(CDrawContext* context, const CArea& area) {
    if (parentView)
        parentView->invalidateArea(context, area);
    else if (CViewContainer* root = frameAsContainer(frame))
        root->drawArea(context, area);
}

bool CView::isFocusable() { return focusable; }
void CView::setFocusable(bool value) { focusable = value; }

bool CView::isTypeOf(const char* className) const { return className && std::strcmp(className, "CView") == 0; }

void CView::refresh(CDrawContext* context) {
    if (!isDirty()) return;
    if (context)
        invalidateArea(context, size);
    else
        frameDrawView(frame, this);
    setDirty(false);
}

}  // namespace toolkit
