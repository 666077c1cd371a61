// CViewContainer, the view that holds other views; the frame is one.
//
// Rules:
// - Children are kept in the order they were added. Drawing goes in that
//   order (the last added is drawn last, on top); mouse clicks, keys and
//   hit tests go the other way, from the last added to the first.
// - addView takes a reference; removeView and removeAll give it back, and
//   with releaseCallerReference also the creator's. Destroying a container
//   removes every child that way, so a tree is destroyed by releasing its root.
// - A container converts coordinates for its children: a child's `size` is in
//   the container's own coordinates, whose origin is the container's top-left.
// - Containers draw through an offscreen buffer of their own size by default,
//   so a partial redraw reaches the target in one copy. A transparent
//   container draws straight on its parent's target instead, so that what
//   lies below it shows through.
//
// The virtual operations are CView's 42 in the same order (overridden where
// they differ), then the container's own below, in their fixed slot order.
#pragma once

#include <cstdint>

#include "toolkit/view.h"

namespace toolkit {

class COffscreenContext;

inline constexpr int32_t refreshAll = 0;
inline constexpr int32_t refreshDirtyOnly = 1;

class CViewContainer : public CView {
public:
    // No background bitmap, black background colour, drawn offscreen,
    // refreshDirtyOnly; the new container is dirty.
    explicit CViewContainer(const CArea& size);

    // Removes every child, releasing both references, then the offscreen buffer.
    ~CViewContainer() override;

    void draw(CDrawContext* context) override;
    void drawArea(CDrawContext* context, const CArea& updateArea) override;
    void onMouseDown(CDrawContext* context, CSpot where, int32_t buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    int32_t onKeyUp(VstKeyCode& key) override;
    bool onWheelAxis(CDrawContext* context, CSpot where, int32_t axis, float distance) override;
    bool onWheel(CDrawContext* context, CSpot where, float distance) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, CSpot where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, CSpot where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, CSpot where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, CSpot where) override;
    void loseFocus(CDrawContext* context) override;
    void takeFocus(CDrawContext* context) override;
    // Own dirty flag, or a dirty child that shows inside the container.
    bool isDirty() override;
    void setViewSize(const CArea& area) override;
    bool onRemoved(CView* parent) override;
    bool onAttached(CView* parent) override;
    CSpot frameToLocal(CSpot point) override;
    CSpot localToFrame(CSpot point) override;
    // 1 for containerCheckMessage, 0 for anything else.
    int32_t notify(CView* sender, const char* message) override;
    // `area` is in the container's own coordinates.
    void invalidateArea(CDrawContext* context, const CArea& area) override;
    bool isTypeOf(const char* className) const override;
    void refresh(CDrawContext* context) override;

    // The container's own operations, in slot order.
    virtual void addViewWithArea(CView* view, const CArea& mouseArea, bool mouseEnabled = true);
    virtual void addView(CView* view);
    virtual void removeView(CView* view, bool releaseCallerReference = true);
    virtual void removeAll(bool releaseCallerReference = true);
    virtual bool isChild(CView* view);
    virtual int32_t getViewCount();
    virtual CView* getView(int32_t index);
    virtual void setBackgroundColour(const CRgb& colour);
    virtual CRgb getBackgroundColour();
    virtual void setBackgroundOffset(const CSpot& offset);
    virtual const CSpot& getBackgroundOffset();
    // `area` is in the container's own coordinates.
    virtual void drawBackgroundArea(CDrawContext* context, const CArea& area);
    virtual void setRefreshMode(int32_t mode);
    virtual int32_t getRefreshMode();
    virtual void setDrawOffscreen(bool value);
    virtual CView* getViewUnderMouse();
    // The topmost child whose mouse area holds `where` (in the parent's
    // coordinates); with `deep` the search goes into sub-containers.
    virtual CView* getViewAt(CSpot where, bool deep = false);
    virtual bool advanceFocus(CView* oldFocus, bool reverse = false);

    bool getDrawOffscreen() const { return drawOffscreen; }
    COffscreenContext* getOffscreen() const { return offscreen; }

protected:
    struct ChildNode {
        CView* view = nullptr;
        ChildNode* next = nullptr;
        ChildNode* previous = nullptr;
    };

    // Makes the offscreen buffer when drawing offscreen and none exists.
    void makeOffscreen();
    // True when a draw composes in the offscreen buffer and copies it out.
    bool composesOffscreen() const;
    // The clip a draw starts from and returns to, in the target's coordinates.
    CArea savedClipFor(CDrawContext* context, bool viaOffscreen) const;
    // Unlinks and frees a node; the neighbours are joined.
    void unlinkNode(ChildNode* node);

    ChildNode* firstChild = nullptr;
    ChildNode* lastChild = nullptr;
    int32_t refreshMode = refreshDirtyOnly;
    COffscreenContext* offscreen = nullptr;
    CRgb backgroundColour = colourBlack;
    CSpot backgroundOffset;
    bool drawOffscreen = true;
    CView* dragTarget = nullptr;
};

}  // namespace toolkit
