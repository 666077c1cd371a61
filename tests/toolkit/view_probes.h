// Test views that record what the toolkit asks of them: draws, clicks, keys,
// focus questions and their own destruction.
#pragma once

#include <string>
#include <vector>

#include "shell/vst_interface.h"
#include "toolkit/draw_context.h"
#include "toolkit/view.h"
#include "toolkit/view_container.h"

namespace toolkit_test {

using Log = std::vector<std::string>;

// A view that paints `paintArea` (its whole size when empty) in one colour and
// records each call in a shared log.
class ProbeView : public toolkit::CView {
public:
    ProbeView(const char* name, const toolkit::CArea& area, Log* log, toolkit::CRgb colour = toolkit::colourRed)
        : CView(area), name_(name), log_(log), colour_(colour) {}
    ~ProbeView() override {
        if (destroyed_) *destroyed_ = true;
    }

    void draw(toolkit::CDrawContext* context) override {
        if (log_) log_->push_back("draw " + name_);
        paint(context);
        setDirty(false);
    }
    void drawArea(toolkit::CDrawContext* context, const toolkit::CArea&) override {
        if (log_) log_->push_back("drawArea " + name_);
        paint(context);
        setDirty(false);
    }
    void onMouseDown(toolkit::CDrawContext*, toolkit::CSpot where, int32_t buttons) override {
        if (log_)
            log_->push_back("click " + name_ + " " + std::to_string(where.x) + "," + std::to_string(where.y) + " " +
                            std::to_string(buttons));
    }
    int32_t onKeyDown(VstKeyCode&) override {
        if (log_) log_->push_back("key " + name_);
        return keyAnswer_;
    }
    bool isFocusable() override {
        if (log_) log_->push_back(std::string("focusable? ") + name_ + (focusable ? " yes" : " no"));
        return focusable;
    }

    void setPaintArea(const toolkit::CArea& area) { paintArea_ = area; }
    void setKeyAnswer(int32_t answer) { keyAnswer_ = answer; }
    void watchDestruction(bool* flag) { destroyed_ = flag; }

private:
    void paint(toolkit::CDrawContext* context) {
        if (!context) return;
        context->setFillColour(colour_);
        context->fillRect(paintArea_.isEmpty() ? size : paintArea_);
    }

    std::string name_;
    Log* log_;
    toolkit::CRgb colour_;
    toolkit::CArea paintArea_;
    int32_t keyAnswer_ = -1;
    bool* destroyed_ = nullptr;
};

// A container that reports its own destruction.
class ProbeContainer : public toolkit::CViewContainer {
public:
    explicit ProbeContainer(const toolkit::CArea& area, bool* destroyed = nullptr)
        : CViewContainer(area), destroyed_(destroyed) {}
    ~ProbeContainer() override {
        if (destroyed_) *destroyed_ = true;
    }

private:
    bool* destroyed_;
};

}  // namespace toolkit_test
