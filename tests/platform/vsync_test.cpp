// The vertical-sync request: adaptive sync first, plain sync where the driver has
// no adaptive one, none at all when switched off, and what is reported when the
// driver refuses every interval (Mesa's llvmpipe on Xvfb does).
#include "platform/window_system.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

// A driver that accepts the intervals in `offered` and records every request.
struct fake_driver {
    std::set<int> offered;
    std::vector<int> asked;
    int operator()(int interval) {
        asked.push_back(interval);
        return offered.count(interval) ? 0 : -1;
    }
};

int request(bool on, fake_driver& driver) {
    return request_swap_interval(on, [&](int interval) { return driver(interval); });
}

}  // namespace

TEST(Vsync, AdaptiveWhereOffered) {
    fake_driver driver{{-1, 0, 1}, {}};
    EXPECT_EQ(request(true, driver), -1);
    EXPECT_EQ(driver.asked, std::vector<int>{-1});
}

TEST(Vsync, PlainWhenAdaptiveIsRefused) {
    fake_driver driver{{0, 1}, {}};
    EXPECT_EQ(request(true, driver), 1);
    EXPECT_EQ(driver.asked, (std::vector<int>{-1, 1}));
}

TEST(Vsync, OffSetsZero) {
    fake_driver driver{{-1, 0, 1}, {}};
    EXPECT_EQ(request(false, driver), 0);
    EXPECT_EQ(driver.asked.front(), 0);
}

TEST(Vsync, NothingOfferedReportsNoSync) {
    fake_driver driver{{}, {}};
    EXPECT_EQ(request(true, driver), 0);
}
