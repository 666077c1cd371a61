// Reference counting shared by views, bitmaps, drawing contexts and drag
// containers: an object starts with one reference (its creator's) and
// destroys itself when the last one is released.
#pragma once

#include <cstdint>

namespace toolkit {

class CReferenceCounter {
public:
    CReferenceCounter() = default;
    // Copying a counted object would copy its count; nothing in the toolkit
    // does that, so it is not allowed.
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;

    virtual ~CReferenceCounter() = default;
    // Drops one reference; at 0 the object deletes itself through its
    // virtual destructor. The caller must not touch it afterwards.
    virtual void release() {
        if (--referenceCount == 0) delete this;
    }
    virtual void retain() { ++referenceCount; }

    int32_t getNbReference() const { return referenceCount; }

private:
    int32_t referenceCount = 1;
};

}  // namespace toolkit
