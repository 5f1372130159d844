#include "ui/placement.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(CenteredPosition, CentresThenKeepsInsideTheWorkArea)
{
    const Rect screen{0, 0, 1280, 800};
    const struct {
        const char* name;
        Size window;
        Rect over;
        Rect work;
        Point expected;
    } cases[] = {
        {"over the work area", {310, 100}, screen, screen, {485, 350}},
        {"over an owner", {310, 100}, {100, 100, 700, 500}, screen, {245, 250}},
        {"owner near the right edge", {310, 100}, {1200, 700, 1300, 760}, screen, {970, 680}},
        {"owner above the top", {310, 100}, {-400, -300, -100, -100}, screen, {0, 0}},
        {"work area not at the origin", {420, 210}, {100, 50, 1380, 850}, {100, 50, 1380, 850}, {530, 345}},
        {"larger than the work area", {1400, 900}, screen, screen, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Point p = CenteredPosition(c.window, c.over, c.work);
        EXPECT_EQ(p.x, c.expected.x);
        EXPECT_EQ(p.y, c.expected.y);
    }
}

}  // namespace
}  // namespace ui
