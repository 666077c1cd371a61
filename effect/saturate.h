// Float-to-integer conversion that cuts toward zero like a plain cast, but
// saturates to the int32 range instead of being undefined outside it. Values
// that are not numbers become 0.
#pragma once

#include <cmath>
#include <cstdint>

constexpr int32_t truncToInt32(double value) {
    if (!(value == value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return INT32_MAX;
    }
    if (value <= -2147483648.0) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}
