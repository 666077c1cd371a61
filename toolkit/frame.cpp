// The frame: root of the view tree, owner of the editor's child window, and
// the place where the window's events become toolkit calls.
#include "toolkit/frame.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/aeff_gui_editor.h"
#include "shell/audio_effect_x.h"
#include "shell/module_handle.h"
#include "shell/vst_interface.h"
#include "toolkit/draw_context.h"
#include "toolkit/frame_calls.h"

int32_t knobMode = 0;

namespace toolkit {

namespace {

// The key record's values that the frame reads itself.
constexpr uint8_t kVirtualKeyTab = 2;
constexpr uint8_t kModifierShift = 1;

// How far a parent may differ in width or height from the frame's window
// and still count as a mere wrapper of it, when looking for the host window
// that holds the frame.
constexpr int32_t kWrapperTolerance = 60;

// The window class of the plug-in: "Plugin" followed by the module handle,
// so that two different plug-in libraries in one host never share a class.
std::string windowClassName() {
    char name[64];
    std::snprintf(name, sizeof name, "Plugin%p", moduleHandle);
    return name;
}

}  // namespace

CFrame::CFrame(const CArea& area, void* parentWindow_, AEffGUIEditor* editor_)
    : CViewContainer(area), editor(editor_), parentWindow(parentWindow_) {
    frame = this;
    if (parentWindow && !createWindow()) {
        // No window could be made: nothing will ever be shown, so the frame
        // is not open and every later window operation does nothing.
        openFlag = false;
    }
}

CFrame::~CFrame() {
    if (modalView) {
        CView* modal = modalView;
        modalView = nullptr;
        removeView(modal, false);
    }
    if (cursorSaved && window) window->setCursor(platform::kCursorDefault);
    if (dropActive) {
        dropTarget = nullptr;
        dropActive = false;
    }
    destroyWindow();
    // The tree goes while the frame is still whole, so a child that calls
    // back into its frame while it is removed finds a working one.
    focusView = nullptr;
    removeAll(true);
}

bool CFrame::createWindow() {
    platform::WindowSystem& system = platform::windowSystem();
    if (!system.connect()) return false;
    connectedSystem = &system;
    const std::string className = windowClassName();
    window = system.createChildWindow(reinterpret_cast<uintptr_t>(parentWindow), size.width(), size.height(), "Window",
                                      className.c_str());
    if (!window) {
        system.disconnect();
        connectedSystem = nullptr;
        return false;
    }
    window->setEventHandler(this);
    setDropActive(true);
    return true;
}

void CFrame::destroyWindow() {
    if (!connectedSystem) return;
    if (window) {
        window->setEventHandler(nullptr);
        connectedSystem->destroyWindow(window);
        window = nullptr;
    }
    connectedSystem->disconnect();
    connectedSystem = nullptr;
}

platform::WindowSystem& CFrame::system() const { return connectedSystem ? *connectedSystem : platform::windowSystem(); }

// --- window events -------------------------------------------------------------

void CFrame::dispatchWindowEvents() {
    if (!window || !connectedSystem) return;
    connectedSystem->fetchEvents();
    // A click arriving while another one is still being handled (a control
    // tracking the mouse pumps the idle pass) waits for the next idle call.
    platform::WindowEvent event;
    while (window && window->takeEvent(event, mouseDownDepth == 0)) handleWindowEvent(window, event);
}

void CFrame::handleWindowEvent(platform::NativeWindow* source, const platform::WindowEvent& event) {
    if (source != window) return;
    switch (event.kind) {
        case platform::WindowEvent::expose: {
            CDrawContext* context = createDrawContext();
            drawArea(context, event.area);
            context->release();
            break;
        }
        case platform::WindowEvent::buttonPress: {
            CDrawContext* context = createDrawContext();
            onMouseDown(context, event.where, event.buttons);
            context->release();
            break;
        }
        case platform::WindowEvent::wheel: {
            CDrawContext* context = createDrawContext();
            onWheel(context, event.where, event.distance);
            context->release();
            break;
        }
        case platform::WindowEvent::destroyed:
            setOpenFlag(false);
            parentWindow = nullptr;
            break;
    }
}

// --- drawing -------------------------------------------------------------------

CDrawContext* CFrame::createDrawContext() { return new CDrawContext(window, this, nullptr); }

void CFrame::draw(CDrawContext* context) {
    firstDraw = false;
    CViewContainer::draw(context);
}

void CFrame::drawArea(CDrawContext* context, const CArea& area) {
    firstDraw = false;
    const bool ownContext = context == nullptr;
    if (ownContext) context = createDrawContext();
    const CArea before = context->getClipArea().offsetCopy(-context->drawOffset.x, -context->drawOffset.y);
    context->setClipArea(area.intersection(before));
    if (area.width() > 0 && area.height() > 0) CViewContainer::drawArea(context, area);
    context->setClipArea(before);
    if (ownContext) context->release();
}

void CFrame::idle() {
    dispatchWindowEvents();
    if (!isOpen() || firstDraw || !isDirty()) return;
    CDrawContext* context = createDrawContext();
    refresh(context);
    context->release();
}

void CFrame::refresh(CDrawContext* context) {
    if (!isOpen() || updateLock) return;
    const bool ownContext = context == nullptr;
    if (ownContext) context = createDrawContext();
    if (dirty) {
        draw(context);
        setDirty(false);
    } else {
        const CArea before = context->getClipArea().offsetCopy(-context->drawOffset.x, -context->drawOffset.y);
        if (modalView && modalView->isDirty()) modalView->refresh(context);
        for (ChildNode* node = firstChild; node; node = node->next) {
            CArea childSize;
            node->view->getViewSize(childSize);
            context->setClipArea(childSize.intersectWith(before));
            node->view->refresh(context);
        }
        context->setClipArea(before);
    }
    if (ownContext) context->release();
}

void CFrame::drawView(CView* view) {
    if (view && !isChild(view)) view = nullptr;
    CDrawContext* context = createDrawContext();
    if (view)
        view->draw(context);
    else
        draw(context);
    context->release();
}

void CFrame::invalidate(const CArea& area) {
    for (ChildNode* node = firstChild; node; node = node->next) {
        CArea childSize;
        node->view->getViewSize(childSize);
        if (childSize.overlaps(area)) node->view->setDirty(true);
    }
}

bool CFrame::setUpdateLock(bool value) {
    const bool previous = updateLock;
    updateLock = value;
    return previous;
}

// --- mouse, keys, wheel --------------------------------------------------------

void CFrame::onMouseDown(CDrawContext* context, CSpot where, int32_t buttons) {
    if (focusView) setFocusView(nullptr);
    if (buttons == -1 && context) buttons = readButtonState();
    ++mouseDownDepth;
    if (!modalView)
        CViewContainer::onMouseDown(context, where, buttons);
    else if (modalView->hitTest(where, buttons))
        modalView->onMouseDown(context, where, buttons);
    --mouseDownDepth;
}

int32_t CFrame::onKeyDown(VstKeyCode& key) {
    if (focusView) {
        const int32_t answer = focusView->onKeyDown(key);
        if (answer != -1) return answer;
    }
    if (modalView) {
        const int32_t answer = modalView->onKeyDown(key);
        if (answer != -1) return answer;
    }
    if (key.virt == kVirtualKeyTab) return advanceFocus(focusView, (key.modifier & kModifierShift) != 0) ? 1 : -1;
    return -1;
}

int32_t CFrame::onKeyUp(VstKeyCode& key) {
    if (focusView) {
        const int32_t answer = focusView->onKeyUp(key);
        if (answer != -1) return answer;
    }
    if (modalView) return modalView->onKeyUp(key);
    return -1;
}

bool CFrame::onWheelAxis(CDrawContext* context, CSpot where, int32_t axis, float distance) {
    CView* target = modalView ? modalView : getViewAt(where, false);
    if (!target) return false;
    const bool ownContext = context == nullptr;
    if (ownContext) context = createDrawContext();
    const bool used = target->onWheelAxis(context, where, axis, distance);
    if (ownContext) context->release();
    return used;
}

int32_t CFrame::readButtonState() {
    platform::PointerState pointer;
    return system().readPointer(pointer) ? pointer.buttons : 0;
}

bool CFrame::getPointerScreenPosition(CSpot& where) {
    platform::PointerState pointer;
    if (!system().readPointer(pointer)) return false;
    where = pointer.screen;
    return true;
}

bool CFrame::getCurrentLocation(CSpot& where) {
    CSpot screen;
    if (!getPointerScreenPosition(screen)) return false;
    if (window) {
        const CSpot origin = window->getScreenOrigin();
        screen.offset(-origin.x, -origin.y);
    }
    where = screen;
    return true;
}

CView* CFrame::getViewUnderMouse() { return modalView ? modalView : CViewContainer::getViewUnderMouse(); }

// --- focus and modal view ------------------------------------------------------

void CFrame::setFocusView(CView* view) {
    CView* previous = focusView;
    focusView = view;
    if (focusView && focusView->isFocusable()) focusView->setDirty(true);
    if (previous) {
        previous->loseFocus(nullptr);
        if (previous->isFocusable()) previous->setDirty(true);
    }
}

bool CFrame::advanceFocus(CView* oldFocus, bool reverse) {
    if (modalView) return false;
    if (!oldFocus) {
        oldFocus = focusView;
        if (!oldFocus) return CViewContainer::advanceFocus(nullptr, reverse);
    }
    // The child of the frame that holds the old focus; on the way up, every
    // enclosing container (innermost first) tries to walk on from the child
    // that holds it.
    CView* holder = oldFocus;
    CView* parent = oldFocus->getParentView();
    while (parent && parent != this) {
        if (!parent->isTypeOf("CViewContainer")) break;
        if (static_cast<CViewContainer*>(parent)->advanceFocus(holder, reverse)) return true;
        holder = parent;
        parent = parent->getParentView();
    }
    if (parent == this && CViewContainer::advanceFocus(holder, reverse)) return true;
    // Nothing focusable after it: the focus is given up.
    setFocusView(nullptr);
    return false;
}

bool CFrame::setModalView(CView* view) {
    if (view && modalView) return false;
    if (modalView) {
        CView* previous = modalView;
        modalView = nullptr;
        removeView(previous, false);
    }
    modalView = view;
    if (modalView) addView(modalView);
    return true;
}

// --- editor, effect, clock -----------------------------------------------------

void CFrame::runThrottledIdle() {
    if (editor) editor->throttledIdle();
}

uint32_t CFrame::getTicks() { return editor ? system().ticks() : 0; }

int32_t CFrame::getKnobMode() { return knobMode; }

void CFrame::beginEdit(int32_t tag) {
    if (editor) editor->beginEdit(tag);
}

void CFrame::endEdit(int32_t tag) {
    if (editor) editor->endEdit(tag);
}

// --- geometry ------------------------------------------------------------------

bool CFrame::setPosition(int32_t, int32_t) { return false; }

bool CFrame::getPosition(int32_t& x, int32_t& y) {
    if (!openFlag || !window) return false;
    const std::vector<CArea> chain = window->getAncestry();
    if (chain.empty()) return false;
    const CArea& own = chain.front();
    size_t holder = 0;
    while (holder + 1 < chain.size()) {
        const CArea& parent = chain[holder + 1];
        if (std::abs(parent.width() - own.width()) > kWrapperTolerance ||
            std::abs(parent.height() - own.height()) > kWrapperTolerance)
            break;
        ++holder;
    }
    x = chain[holder].left;
    y = chain[holder].top;
    return true;
}

bool CFrame::getWindowArea(CArea& area) {
    if (!openFlag || !window) return false;
    const std::vector<CArea> chain = window->getAncestry();
    if (chain.size() < 2) return false;
    area = chain[1];
    if (chain.size() >= 3) area.offsetBy(chain[2].left, chain[2].top);
    return true;
}

bool CFrame::getSize(CArea& area) { return getWindowArea(area); }

bool CFrame::setSize(int32_t width, int32_t height) {
    if (!openFlag || width <= 0 || height <= 0) return false;
    if (width == size.width() && height == size.height()) return false;
    // The host resizes the window it gave when it can; the frame's own window
    // inside it follows either way.
    if (editor) {
        if (auto* effect = dynamic_cast<AudioEffectX*>(editor->getEffect())) {
            char sizeWindow[] = "sizeWindow";
            if (effect->canHostDo(sizeWindow) != 0) effect->sizeWindow(width, height);
        }
    }
    if (window) window->resize(width, height);
    // A new size needs an offscreen buffer of that size, whichever way the
    // window was resized, or the enlarged part would never be drawn.
    CViewContainer::setViewSize(CArea(size.left, size.top, size.left + width, size.top + height));
    return true;
}

void CFrame::setViewSize(const CArea& area) { setSize(area.width(), area.height()); }

// --- cursor, drops, type -------------------------------------------------------

void CFrame::setCursor(int32_t type) {
    if (!window) return;
    cursorSaved = true;
    window->setCursor(type);
}

bool CFrame::setDropActive(bool active) {
    if (!window) return false;
    dropActive = active;
    return true;
}

bool CFrame::isTypeOf(const char* className) const {
    return (className && std::string_view(className) == "CFrame") || CViewContainer::isTypeOf(className);
}

// --- the frame as views reach it -----------------------------------------------

CViewContainer* frameAsContainer(CFrame* frame) { return frame; }

void frameDrawView(CFrame* frame, CView* view) {
    if (frame) frame->drawView(view);
}

CView* frameGetFocusView(CFrame* frame) { return frame ? frame->getFocusView() : nullptr; }

void frameSetFocusView(CFrame* frame, CView* view) {
    if (frame) frame->setFocusView(view);
}

bool frameGetCurrentLocation(CFrame* frame, CSpot& where) { return frame && frame->getCurrentLocation(where); }

bool frameGetPointerScreenPosition(CFrame* frame, CSpot& where) {
    return frame && frame->getPointerScreenPosition(where);
}

bool frameReadButtonState(CFrame* frame, int32_t& buttons) {
    if (!frame) return false;
    buttons = frame->readButtonState();
    return true;
}

}  // namespace toolkit
