// CView, the base of every visible element of the editor, and the shared
// constant by which a view asks whether its parent is a container.
//
// Rules of the view tree:
// - A view's `size` is in its parent's coordinates; `mouseArea` too, and it
//   stays where it was when the size changes later.
// - Ownership: a view is created with one reference (its creator's); the
//   container that takes it (addView) holds a second one and gives both back
//   when the container is destroyed.
// - `frame` and `parentView` are set once by addView and never cleared.
// - A view only marks itself dirty; containers and the frame decide when it
//   is drawn. Every draw clears `dirty`.
// - Everything runs on the editor window's thread; nothing is locked.
//
// The virtual operations below are declared in their fixed slot order.
#pragma once

#include <cstdint>

#include "toolkit/basic_types.h"
#include "toolkit/reference_counter.h"

struct VstKeyCode;
class AEffGUIEditor;

namespace toolkit {

class CBitmap;
class CDrawContext;
class CDragContainer;
class CFrame;
class CViewContainer;

// Sent through notify() to ask whether the receiver is a container; compared
// by the address of the text, not by its characters.
extern const char* const containerCheckMessage;

class CView : public CReferenceCounter {
public:
    explicit CView(const CArea& size);

    // Releases the background bitmap.
    ~CView() override;
    // release and retain come from CReferenceCounter.

    // Draws the background bitmap over `size` (transparently when
    // `transparent` is set), then setDirty(false).
    virtual void draw(CDrawContext* context);
    // The area is in the parent's coordinates; the base draws the whole view.
    virtual void drawArea(CDrawContext* context, const CArea& updateArea);
    // Touching edges overlap.
    virtual bool overlaps(const CArea& area);
    // `where` is in the parent's coordinates.
    virtual void onMouseDown(CDrawContext* context, CSpot where, int32_t buttons);
    // Holds one reference to the bitmap (null allowed), then marks dirty.
    virtual void setBackground(CBitmap* bitmap);
    virtual CBitmap* getBackground();
    // Key handlers answer -1 when they do not handle the key.
    virtual int32_t onKeyDown(VstKeyCode& key);
    virtual int32_t onKeyUp(VstKeyCode& key);
    virtual bool onWheelAxis(CDrawContext* context, CSpot where, int32_t axis, float distance);
    virtual bool onWheel(CDrawContext* context, CSpot where, float distance);
    virtual bool onDrop(CDrawContext* context, CDragContainer* drag, CSpot where);
    virtual void onDragEnter(CDrawContext* context, CDragContainer* drag, CSpot where);
    virtual void onDragLeave(CDrawContext* context, CDragContainer* drag, CSpot where);
    virtual void onDragMove(CDrawContext* context, CDragContainer* drag, CSpot where);
    virtual void loseFocus(CDrawContext* context);
    virtual void takeFocus(CDrawContext* context);
    virtual bool isDirty();
    virtual void setDirty(bool value = true);
    virtual void setMouseEnabled(bool enabled = true);
    virtual bool getMouseEnabled();
    virtual void setMouseArea(const CArea& area);
    virtual void getMouseArea(CArea& area);
    // Inclusive on all four edges of the mouse area; buttons are not consulted.
    virtual bool hitTest(CSpot where, int32_t buttons = -1);
    virtual void setTransparency(bool value);
    virtual bool getTransparency();
    // Sets `size` (not the mouse area), then marks dirty.
    virtual void setViewSize(const CArea& area);
    virtual void getViewSize(CArea& area);
    virtual bool onRemoved(CView* parent);
    virtual bool onAttached(CView* parent);
    // The pointer position in the coordinate system of the view's `size`;
    // nothing without a context.
    virtual void getMouseLocation(CDrawContext* context, CSpot& where);
    // Frame coordinates to the coordinates of the view's `size`, and back.
    virtual CSpot frameToLocal(CSpot point);
    virtual CSpot localToFrame(CSpot point);
    virtual AEffGUIEditor* getEditor();
    virtual int32_t notify(CView* sender, const char* message);
    // Redraws `area` (in the parent's coordinates) through the parents.
    virtual void invalidateArea(CDrawContext* context, const CArea& area);
    virtual bool isFocusable();
    virtual void setFocusable(bool value);
    // True for the name of the object's class or of one of its toolkit base
    // classes ("CView" for every view).
    virtual bool isTypeOf(const char* className) const;
    // When dirty: redraws the view through its parents (or, without a context,
    // has the frame draw it at once), then clears dirty.
    virtual void refresh(CDrawContext* context);

    // Non-virtual accessors.
    CFrame* getFrame() const { return frame; }
    CView* getParentView() const { return parentView; }
    const CArea& getSize() const { return size; }
    int32_t getWidth() const { return size.width(); }
    int32_t getHeight() const { return size.height(); }

protected:
    friend class CViewContainer;

    // True when the parent view answers the container check.
    bool parentIsContainer();

    CArea size;
    CArea mouseArea;
    CFrame* frame = nullptr;
    CView* parentView = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparent = false;
    bool focusable = false;
    CBitmap* background = nullptr;
};

}  // namespace toolkit
