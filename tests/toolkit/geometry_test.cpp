// Rectangle and point arithmetic: inclusive hit tests, touching areas
// overlapping, intersections that never turn negative.
#include <gtest/gtest.h>

#include "tests/toolkit/pixel_helpers.h"
#include "toolkit/basic_types.h"

using toolkit::CArea;
using toolkit::CSpot;
using toolkit_test::describe;

TEST(Area, ContainsPointCountsAllFourEdgesAsInside) {
    const CArea area(10, 20, 30, 40);
    struct Case {
        CSpot point;
        bool inside;
    } cases[] = {
        {{10, 20}, true},  {{30, 40}, true},  {{30, 20}, true},  {{10, 40}, true},  {{20, 30}, true},
        {{9, 30}, false},  {{31, 30}, false}, {{20, 19}, false}, {{20, 41}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(area.containsPoint(c.point), c.inside)
            << "Point (" << c.point.x << ", " << c.point.y << ") should be " << (c.inside ? "inside" : "outside")
            << " of " << describe(area) << ".";
}

TEST(Area, IntersectionOfDisjointAreasKeepsANonNegativeSize) {
    struct Case {
        CArea a, b, expected;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {20, 0, 30, 10}, {20, 0, 20, 10}},   // apart horizontally: zero width
        {{0, 0, 10, 10}, {0, 20, 10, 30}, {0, 20, 10, 20}},   // apart vertically: zero height
        {{0, 0, 10, 10}, {20, 20, 30, 30}, {20, 20, 20, 20}}, // apart both ways
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {10, 0, 10, 10}},   // touching
    };
    for (const Case& c : cases) {
        CArea r = c.a;
        r.intersectWith(c.b);
        EXPECT_EQ(r, c.expected) << describe(c.a) << " intersected with " << describe(c.b) << " gave "
                                 << describe(r) << ".";
        EXPECT_GE(r.width(), 0) << "An intersection must never have a negative width.";
        EXPECT_GE(r.height(), 0) << "An intersection must never have a negative height.";
    }
}

TEST(Area, AreasThatOnlyTouchOverlap) {
    const CArea a(0, 0, 10, 10);
    struct Case {
        CArea b;
        bool overlaps;
    } cases[] = {
        {{10, 0, 20, 10}, true}, {{0, 10, 10, 20}, true}, {{10, 10, 20, 20}, true},
        {{11, 0, 20, 10}, false}, {{0, 11, 10, 20}, false}, {{-10, -10, -1, -1}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(a.overlaps(c.b), c.overlaps) << describe(a) << " and " << describe(c.b) << " should "
                                               << (c.overlaps ? "" : "not ") << "overlap.";
        EXPECT_EQ(c.b.overlaps(a), c.overlaps) << "The overlap test must be symmetric.";
    }
}

TEST(Area, OffsetMovesAllFourEdges) {
    CArea a(1, 2, 3, 4);
    a.offsetBy(10, -20);
    EXPECT_EQ(a, CArea(11, -18, 13, -16)) << "offsetBy adds x to left and right and y to top and bottom.";
    EXPECT_EQ(a.width(), 2);
    EXPECT_EQ(a.height(), 2);
}
