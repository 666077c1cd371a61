// CViewContainer: children and their references, event routing, dirty
// state, drawing through the offscreen buffer, and focus traversal.
#include "toolkit/view_container.h"

#include <cstring>

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/frame_calls.h"

namespace toolkit {

namespace {

// Saves a context's window origin and drawing offset, shifts both, and puts
// them back when it goes out of scope.
class ShiftedContext {
public:
    ShiftedContext(CDrawContext* context, int32_t dx, int32_t dy) : context_(context) {
        if (!context_) return;
        origin_ = context_->windowOrigin;
        offset_ = context_->drawOffset;
        context_->windowOrigin.offset(dx, dy);
        context_->drawOffset.offset(dx, dy);
    }
    ~ShiftedContext() {
        if (!context_) return;
        context_->windowOrigin = origin_;
        context_->drawOffset = offset_;
    }
    ShiftedContext(const ShiftedContext&) = delete;
    ShiftedContext& operator=(const ShiftedContext&) = delete;

private:
    CDrawContext* context_;
    CSpot origin_;
    CSpot offset_;
};

}  // namespace

CViewContainer::CViewContainer(const CArea& area) : CView(area) {
    setBackground(nullptr);
}

CViewContainer::~CViewContainer() {
    removeAll(true);
    if (offscreen) offscreen->release();
    offscreen = nullptr;
}

// --- children ------------------------------------------------------------------

void CViewContainer::addViewWithArea(CView* view, const CArea& area, bool enabled) {
    if (!view) return;
    view->setMouseEnabled(enabled);
    view->setMouseArea(area);
    addView(view);
}

void CViewContainer::addView(CView* view) {
    if (!view) return;
    auto* node = new ChildNode;
    node->view = view;
    view->retain();
    view->frame = frame;
    view->parentView = this;
    node->previous = lastChild;
    if (lastChild)
        lastChild->next = node;
    else
        firstChild = node;
    lastChild = node;
    view->onAttached(this);
    view->setDirty(true);
}

void CViewContainer::unlinkNode(ChildNode* node) {
    if (node->previous)
        node->previous->next = node->next;
    else
        firstChild = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        lastChild = node->previous;
    delete node;
}

// True when `view` is `ancestor` or lies somewhere inside it.
static bool isWithin(CView* view, CView* ancestor) {
    for (CView* v = view; v; v = v->getParentView())
        if (v == ancestor) return true;
    return false;
}

void CViewContainer::removeView(CView* view, bool releaseCallerReference) {
    // The frame must not keep a focus view that is about to go: neither the
    // view itself nor one inside it (a removed container takes its children).
    if (frame && view && isWithin(frameGetFocusView(frame), view)) frameSetFocusView(frame, nullptr);
    ChildNode* node = firstChild;
    while (node && node->view != view) node = node->next;
    if (!node) return;
    // A drag target that leaves the tree must not be called later.
    if (dragTarget == view) dragTarget = nullptr;
    view->onRemoved(this);
    if (releaseCallerReference) view->release();
    view->release();
    unlinkNode(node);
}

void CViewContainer::removeAll(bool releaseCallerReference) {
    dragTarget = nullptr;
    while (firstChild) {
        CView* view = firstChild->view;
        view->onRemoved(this);
        if (releaseCallerReference) view->release();
        view->release();
        unlinkNode(firstChild);
    }
}

bool CViewContainer::isChild(CView* view) {
    for (ChildNode* n = firstChild; n; n = n->next)
        if (n->view == view) return true;
    return false;
}

int32_t CViewContainer::getViewCount() {
    int32_t count = 0;
    for (ChildNode* n = firstChild; n; n = n->next) ++count;
    return count;
}

CView* CViewContainer::getView(int32_t index) {
    if (index < 0) return nullptr;
    for (ChildNode* n = firstChild; n; n = n->next, --index)
        if (index == 0) return n->view;
    return nullptr;
}

// --- settings ------------------------------------------------------------------

void CViewContainer::setBackgroundColour(const CRgb& colour) {
    backgroundColour = colour;
    setDirty(true);
}

CRgb CViewContainer::getBackgroundColour() { return backgroundColour; }

void CViewContainer::setBackgroundOffset(const CSpot& offset) { backgroundOffset = offset; }

const CSpot& CViewContainer::getBackgroundOffset() { return backgroundOffset; }

void CViewContainer::setRefreshMode(int32_t mode) { refreshMode = mode; }

int32_t CViewContainer::getRefreshMode() { return refreshMode; }

void CViewContainer::setDrawOffscreen(bool value) {
    drawOffscreen = value;
    if (!drawOffscreen && offscreen) {
        offscreen->release();
        offscreen = nullptr;
    }
}

void CViewContainer::makeOffscreen() {
    if (drawOffscreen && !offscreen) offscreen = new COffscreenContext(frame, size.width(), size.height(), colourBlack);
}

void CViewContainer::setViewSize(const CArea& area) {
    CView::setViewSize(area);
    if (offscreen && drawOffscreen) {
        offscreen->release();
        offscreen = new COffscreenContext(frame, size.width(), size.height(), colourBlack);
    }
}

bool CViewContainer::onAttached(CView*) {
    makeOffscreen();
    return true;
}

bool CViewContainer::onRemoved(CView*) {
    if (offscreen) offscreen->release();
    offscreen = nullptr;
    return true;
}

// --- type and coordinates -----------------------------------------------------

int32_t CViewContainer::notify(CView*, const char* message) { return message == containerCheckMessage ? 1 : 0; }

bool CViewContainer::isTypeOf(const char* className) const {
    return className && (std::strcmp(className, "CViewContainer") == 0 || CView::isTypeOf(className));
}

CSpot CViewContainer::frameToLocal(CSpot point) {
    point.offset(-size.left, -size.top);
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->frameToLocal(point);
    return point;
}

CSpot CViewContainer::localToFrame(CSpot point) {
    point.offset(size.left, size.top);
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->localToFrame(point);
    return point;
}

// --- dirty state and redrawing ---------------------------------------------------

bool CViewContainer::isDirty() {
    if (dirty) return true;
    const CArea inside(0, 0, size.width(), size.height());
    for (ChildNode* n = firstChild; n; n = n->next) {
        if (!n->view->isDirty()) continue;
        CArea childSize;
        n->view->getViewSize(childSize);
        childSize.intersectWith(inside);
        // A child wholly outside the container never makes it dirty.
        if (childSize.width() > 0 && childSize.height() > 0) return true;
    }
    return false;
}

void CViewContainer::invalidateArea(CDrawContext* context, const CArea& area) {
    const CArea r = area.offsetCopy(size.left, size.top);
    if (transparent) {
        // What shows through must be repainted by the parent.
        if (parentView)
            parentView->invalidateArea(context, r);
        else if (CViewContainer* root = frameAsContainer(frame))
            root->drawArea(context, r);
        return;
    }
    if (parentView) {
        const CSpot origin = parentView->localToFrame(CSpot(0, 0));
        ShiftedContext shifted(context, origin.x, origin.y);
        drawArea(context, r);
    } else {
        drawArea(context, r);
    }
}

void CViewContainer::refresh(CDrawContext* context) {
    const CArea inside(0, 0, size.width(), size.height());
    if (refreshMode == refreshDirtyOnly && !dirty) {
        for (ChildNode* n = firstChild; n; n = n->next) {
            CView* child = n->view;
            if (!child->isDirty() || !child->overlaps(inside)) continue;
            if (child->notify(this, containerCheckMessage) != 0) {
                child->refresh(context);
            } else {
                CArea childSize;
                child->getViewSize(childSize);
                child->invalidateArea(context, childSize.intersectWith(inside));
            }
        }
        setDirty(false);
    } else if ((refreshMode == refreshDirtyOnly && dirty) || (refreshMode == refreshAll && isDirty())) {
        invalidateArea(context, inside);
        setDirty(false);
    }
}

void CViewContainer::drawBackgroundArea(CDrawContext* context, const CArea& area) {
    if (!context) return;
    if (background) {
        const CArea before = context->getClipArea().offsetCopy(-context->drawOffset.x, -context->drawOffset.y);
        context->setClipArea(area.intersection(before));
        const CArea whole(0, 0, background->getWidth(), background->getHeight());
        if (transparent)
            background->drawTransparent(context, whole, backgroundOffset);
        else
            background->drawBitmap(context, whole, backgroundOffset);
        context->setClipArea(before);
    } else if (!transparent) {
        context->setFillColour(backgroundColour);
        context->fillArea(area);
    }
}

bool CViewContainer::composesOffscreen() const {
    // A transparent container's own buffer would cover what lies below it,
    // so it draws straight onto its parent's target, which already holds it.
    return drawOffscreen && offscreen && !transparent;
}

CArea CViewContainer::savedClipFor(CDrawContext* context, bool viaOffscreen) const {
    // The clip in the caller's coordinates. Drawn offscreen, the container's
    // buffer has its own origin: the clip moves by the container's top-left
    // (the frame's buffer coincides with its window).
    CArea clip = context->getClipArea().offsetCopy(-context->drawOffset.x, -context->drawOffset.y);
    if (viaOffscreen && frameAsContainer(frame) != this) clip.offsetBy(-size.left, -size.top);
    return clip;
}

void CViewContainer::draw(CDrawContext* context) {
    if (!context) return;
    makeOffscreen();
    const bool viaOffscreen = composesOffscreen();
    CDrawContext* target = viaOffscreen ? offscreen : context;
    ShiftedContext shifted(viaOffscreen ? nullptr : context, size.left, size.top);

    const CArea savedClip = savedClipFor(context, viaOffscreen);
    const CArea inside(0, 0, size.width(), size.height());
    const CArea clip = inside.intersection(savedClip);
    target->setClipArea(clip);

    if (background) {
        if (transparent)
            background->drawTransparent(target, inside, backgroundOffset);
        else
            background->drawBitmap(target, inside, backgroundOffset);
    } else if (!transparent) {
        target->setFillColour(backgroundColour);
        target->fillArea(inside);
    }

    // Children in list order: the last added ends up on top.
    for (ChildNode* n = firstChild; n; n = n->next) {
        CArea childSize;
        n->view->getViewSize(childSize);
        target->setClipArea(childSize.intersectWith(clip));
        n->view->draw(target);
    }
    target->setClipArea(savedClip);

    if (viaOffscreen) context->copyFrom(target, size, CSpot(0, 0));
    setDirty(false);
}

void CViewContainer::drawArea(CDrawContext* context, const CArea& updateArea) {
    if (!context) return;
    makeOffscreen();
    const bool viaOffscreen = composesOffscreen();
    CDrawContext* target = viaOffscreen ? offscreen : context;
    ShiftedContext shifted(viaOffscreen ? nullptr : context, size.left, size.top);

    const CArea clipped = updateArea.intersection(size);
    const CArea local = clipped.offsetCopy(-size.left, -size.top);

    const CArea savedClip = savedClipFor(context, viaOffscreen);
    const CArea clip = local.intersection(savedClip);
    target->setClipArea(clip);

    drawBackgroundArea(target, local);

    const bool keepsPartialClean = isTypeOf("CScrollContainer");
    for (ChildNode* n = firstChild; n; n = n->next) {
        CView* child = n->view;
        if (!child->overlaps(local)) continue;
        CArea childSize;
        child->getViewSize(childSize);
        const CArea childClip = childSize.intersection(clip);
        if (childClip.width() == 0 || childClip.height() == 0) continue;
        target->setClipArea(childClip);
        const bool wasDirty = child->isDirty();
        child->drawArea(target, local);
        // Only partly drawn: the rest is still to be drawn later.
        if (wasDirty && !(childClip == childSize) && !keepsPartialClean) child->setDirty(true);
    }
    target->setClipArea(savedClip);

    if (viaOffscreen)
        context->copyFrom(target, clipped, CSpot(local.left, local.top));
    setDirty(false);
}

// --- events ------------------------------------------------------------------------

void CViewContainer::onMouseDown(CDrawContext* context, CSpot where, int32_t buttons) {
    const CSpot local(where.x - size.left, where.y - size.top);
    if (buttons == -1 && context) frameReadButtonState(frame, buttons);
    for (ChildNode* n = lastChild; n; n = n->previous) {
        CView* child = n->view;
        if (child->getMouseEnabled() && child->hitTest(local, buttons)) {
            child->onMouseDown(context, local, buttons);
            return;
        }
    }
}

int32_t CViewContainer::onKeyDown(VstKeyCode& key) {
    for (ChildNode* n = lastChild; n; n = n->previous) {
        const int32_t answer = n->view->onKeyDown(key);
        if (answer != -1) return answer;
    }
    return -1;
}

int32_t CViewContainer::onKeyUp(VstKeyCode& key) {
    for (ChildNode* n = lastChild; n; n = n->previous) {
        const int32_t answer = n->view->onKeyUp(key);
        if (answer != -1) return answer;
    }
    return -1;
}

bool CViewContainer::onWheelAxis(CDrawContext* context, CSpot where, int32_t axis, float distance) {
    CView* target = getViewAt(where, false);
    if (!target) return false;
    ShiftedContext shifted(context, size.left, size.top);
    return target->onWheelAxis(context, CSpot(where.x - size.left, where.y - size.top), axis, distance);
}

bool CViewContainer::onWheel(CDrawContext* context, CSpot where, float distance) {
    return onWheelAxis(context, where, 1, distance);
}

void CViewContainer::loseFocus(CDrawContext* context) {
    for (ChildNode* n = firstChild; n; n = n->next) n->view->loseFocus(context);
}

void CViewContainer::takeFocus(CDrawContext* context) {
    for (ChildNode* n = firstChild; n; n = n->next) n->view->takeFocus(context);
}

// --- drag and drop routing ---------------------------------------------------------

void CViewContainer::onDragEnter(CDrawContext* context, CDragContainer* drag, CSpot where) {
    if (!frame) return;
    ShiftedContext shifted(context, size.left, size.top);
    const CSpot local(where.x - size.left, where.y - size.top);
    if (dragTarget) dragTarget->onDragLeave(context, drag, local);
    dragTarget = getViewAt(where, false);
    if (dragTarget) dragTarget->onDragEnter(context, drag, local);
}

void CViewContainer::onDragMove(CDrawContext* context, CDragContainer* drag, CSpot where) {
    if (!frame) return;
    ShiftedContext shifted(context, size.left, size.top);
    const CSpot local(where.x - size.left, where.y - size.top);
    CView* view = getViewAt(where, false);
    if (view != dragTarget) {
        if (dragTarget) dragTarget->onDragLeave(context, drag, local);
        if (view) view->onDragEnter(context, drag, local);
        dragTarget = view;
    } else if (view) {
        view->onDragMove(context, drag, local);
    }
}

void CViewContainer::onDragLeave(CDrawContext* context, CDragContainer* drag, CSpot where) {
    if (!frame) return;
    ShiftedContext shifted(context, size.left, size.top);
    const CSpot local(where.x - size.left, where.y - size.top);
    if (dragTarget) dragTarget->onDragLeave(context, drag, local);
    dragTarget = nullptr;
}

bool CViewContainer::onDrop(CDrawContext* context, CDragContainer* drag, CSpot where) {
    if (!frame) return false;
    ShiftedContext shifted(context, size.left, size.top);
    const CSpot local(where.x - size.left, where.y - size.top);
    CView* view = getViewAt(where, false);
    if (view != dragTarget) {
        if (dragTarget) dragTarget->onDragLeave(context, drag, local);
        dragTarget = view;
    }
    bool answer = false;
    if (dragTarget) {
        answer = dragTarget->onDrop(context, drag, local);
        dragTarget->onDragLeave(context, drag, local);
    }
    dragTarget = nullptr;
    return answer;
}

// --- lookup and focus --------------------------------------------------------------

CView* CViewContainer::getViewAt(CSpot where, bool deep) {
    if (!frame) return nullptr;
    const CSpot local(where.x - size.left, where.y - size.top);
    for (ChildNode* n = lastChild; n; n = n->previous) {
        CView* child = n->view;
        CArea area;
        child->getMouseArea(area);
        if (!area.containsPoint(local)) continue;
        if (deep && child->isTypeOf("CViewContainer")) return static_cast<CViewContainer*>(child)->getViewAt(local, deep);
        return child;
    }
    return nullptr;
}

CView* CViewContainer::getViewUnderMouse() {
    if (!frame) return nullptr;
    CSpot where;
    frameGetCurrentLocation(frame, where);
    where = frameToLocal(where);
    for (ChildNode* n = lastChild; n; n = n->previous) {
        CArea area;
        n->view->getMouseArea(area);
        if (area.containsPoint(where)) return n->view;
    }
    return nullptr;
}

bool CViewContainer::advanceFocus(CView* oldFocus, bool reverse) {
    bool passed = oldFocus == nullptr;
    for (ChildNode* n = reverse ? lastChild : firstChild; n; n = reverse ? n->previous : n->next) {
        CView* child = n->view;
        if (!passed) {
            passed = child == oldFocus;
            continue;
        }
        if (child->isFocusable()) {
            frameSetFocusView(frame, child);
            return true;
        }
        if (child->isTypeOf("CViewContainer") && static_cast<CViewContainer*>(child)->advanceFocus(nullptr, reverse))
            return true;
    }
    return false;
}

}  // namespace toolkit
