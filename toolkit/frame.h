// CFrame: the root container of a view tree and the owner of the editor's
// window, a child window inside the window that the host gave.
//
// Rules a reader relies on:
// - The frame's coordinates are those of its window; its `frame` is itself,
//   so every view added to it gets this frame.
// - Views only mark themselves dirty. The frame draws on three occasions: a
//   paint (expose) of its window draws the requested area at once; the
//   host's idle calls (idle) redraw dirty views, but only once the window has
//   been painted the first time; the throttled idle pass of the editor does
//   the same while a control tracks the mouse, and lets one pending paint of
//   any window happen.
// - The window's events are read without waiting in idle (and in the
//   throttled pass); button presses carry their own mask, so a click that is
//   handled later is not lost. There is no pointer movement or button
//   release: a control that follows the mouse polls the pointer and the
//   buttons until the button is up.
// - Every click takes the keyboard focus away before it is routed. A modal
//   view, while set, takes all clicks; keys go to the focus view first, then
//   to the modal view, and the tab key moves the focus.
// - When the window is destroyed from outside (the host destroyed its own
//   window first) the frame is no longer open: idle, refresh and the geometry
//   operations do nothing from then on.
// - A frame made without a parent window has no window: it draws into any
//   context it is given (tests, screenshots).
// - Everything runs on the host's user-interface thread.
//
// The virtual operations are the container's sixty in the same order
// (overridden where they differ), then the frame's own below, in their fixed
// slot order.
#pragma once

#include <cstdint>

#include "toolkit/platform/platform.h"
#include "toolkit/view_container.h"

class AEffGUIEditor;

// The knob mode of the process, 0 at load: 0 circular, 1 relative circular,
// 2 linear. Written by the editor's setKnobMode (last writer wins), read by
// the knobs through the frame's getKnobMode.
extern int32_t knobMode;

namespace toolkit {

using platform::kAlt;
using platform::kControl;
using platform::kLButton;
using platform::kMButton;
using platform::kRButton;
using platform::kShift;

class CDropTarget;

class CFrame : public CViewContainer, private platform::WindowEventHandler {
public:
    // Without a parent window (0) the frame has no window. With one, it
    // connects to the window system and makes a child window of the area's
    // size inside it, named "Window" and of the class "Plugin" followed by
    // the library's module handle. When that fails (no display, a bad or
    // destroyed parent) the frame has no window and is not open.
    CFrame(const CArea& size, void* parentWindow, AEffGUIEditor* editor);

    // Removes the modal view (its owner keeps its reference), puts the cursor
    // back, destroys the window (unless it is already gone), leaves the
    // window system (the last frame closes the connection) and releases the
    // tree.
    ~CFrame() override;

    // Whole frame; clears firstDraw.
    void draw(CDrawContext* context) override;
    // `area` in frame coordinates, clipped to the context's clip; clears
    // firstDraw. Without a context one is made for the window.
    void drawArea(CDrawContext* context, const CArea& area) override;
    // Takes the focus away, reads the buttons when asked (-1), then routes the
    // click to the modal view alone, or to the children.
    void onMouseDown(CDrawContext* context, CSpot where, int32_t buttons) override;
    // 1 when the key was used, -1 when not.
    int32_t onKeyDown(VstKeyCode& key) override;
    int32_t onKeyUp(VstKeyCode& key) override;
    // To the modal view, or to the child at `where`.
    bool onWheelAxis(CDrawContext* context, CSpot where, int32_t axis, float distance) override;
    // setSize(width, height) of the area.
    void setViewSize(const CArea& area) override;
    AEffGUIEditor* getEditor() override { return editor; }
    bool isTypeOf(const char* className) const override;
    void refresh(CDrawContext* context) override;
    CView* getViewUnderMouse() override;
    bool advanceFocus(CView* oldFocus, bool reverse = false) override;

    // The frame's own operations, in slot order.
    virtual bool openSeparate() { return false; }
    virtual bool closeSeparate() { return false; }
    virtual bool isOpen() { return openFlag; }
    // Handles the window's events, then redraws dirty views (after the first
    // paint).
    virtual void idle();
    virtual void runThrottledIdle();
    // Milliseconds of the system clock while an editor is set, else 0.
    virtual uint32_t getTicks();
    virtual int32_t getKnobMode();
    virtual bool setPosition(int32_t x, int32_t y);
    // The top-left of the host window that holds the frame, in the
    // coordinates of that window's parent.
    virtual bool getPosition(int32_t& x, int32_t& y);
    // False when already of that size. Asks the host first ("sizeWindow");
    // otherwise resizes the frame's own window. Either way the frame takes
    // the new size and a new offscreen buffer.
    virtual bool setSize(int32_t width, int32_t height);
    virtual bool getSize(CArea& area);
    using CView::getSize;
    // The area of the window's parent in the coordinates of the window three
    // levels up (or of the highest ancestor there is).
    virtual bool getWindowArea(CArea& area);
    // False when a view is given while another one is modal.
    virtual bool setModalView(CView* view);
    virtual CView* getModalView() { return modalView; }
    virtual void beginEdit(int32_t tag);
    virtual void endEdit(int32_t tag);
    // The pointer in frame coordinates; false when it cannot be read.
    virtual bool getCurrentLocation(CSpot& where);
    // A platform::CursorShape; any other number puts the frame's first
    // cursor back.
    virtual void setCursor(int32_t type);
    virtual void setFocusView(CView* view);
    virtual CView* getFocusView() { return focusView; }
    // Drops onto the window arrive with the drag-and-drop support; until then
    // this only records the wish (false without a window).
    virtual bool setDropActive(bool active);
    virtual bool isDropActive() { return dropActive; }
    virtual void setOpenFlag(bool value) { openFlag = value; }
    virtual bool getOpenFlag() { return openFlag; }
    // Marks dirty every child whose size overlaps the area (edges included).
    virtual void invalidate(const CArea& area);
    // Answers the previous value. While set, refresh draws nothing.
    virtual bool setUpdateLock(bool value);
    virtual bool getUpdateLock() { return updateLock; }
    // Draws one direct child (or, for anything else, the whole frame) on the
    // window at once.
    virtual void drawView(CView* view);

    // A new drawing context for the frame's window (no window: one that
    // draws nowhere). The caller releases it.
    CDrawContext* createDrawContext();
    // The buttons and modifiers held now; 0 when they cannot be read.
    int32_t readButtonState();
    // The pointer in screen coordinates; false when it cannot be read.
    bool getPointerScreenPosition(CSpot& where);
    platform::NativeWindow* getWindow() const { return window; }
    void* getParentWindow() const { return parentWindow; }

private:
    void handleWindowEvent(platform::NativeWindow* source, const platform::WindowEvent& event) override;
    void dispatchWindowEvents();
    bool createWindow();
    void destroyWindow();
    // The window system the frame is connected to, or the one in use.
    platform::WindowSystem& system() const;

    AEffGUIEditor* editor;
    void* parentWindow;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    bool firstDraw = true;
    bool openFlag = true;
    bool dropActive = false;
    bool updateLock = false;
    platform::NativeWindow* window = nullptr;
    CDropTarget* dropTarget = nullptr;
    bool cursorSaved = false;                           // setCursor has been used: the window's default is to come back
    platform::WindowSystem* connectedSystem = nullptr;  // holds one of its connections
    int32_t mouseDownDepth = 0;                         // clicks being handled; further clicks wait
};

}  // namespace toolkit
