#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "checkin/RateLimiter.h"

// Against a random schedule of requests the limiter is exact: a request is allowed if and only
// if fewer than `limit` were allowed in the window before it.
TEST(RateLimiter, AllowsExactlyLimitInAnyWindow) {
    constexpr int kLimit = 30;
    constexpr int64_t kWindow = 10'000;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    // Bursts and pauses: gaps mostly short, some near or past the window.
    std::discrete_distribution<int> kind({70, 20, 10});
    std::uniform_int_distribution<int64_t> shortGap(0, 400), midGap(400, 4000),
        longGap(4000, 12000);
    RateLimiter limiter(kLimit, kWindow, 16);
    const QString address = QStringLiteral("192.168.3.4");
    std::deque<int64_t> allowed;
    int64_t now = 5'000'000;
    int refused = 0;
    for (int i = 0; i < 20'000; ++i) {
        const int k = kind(random);
        now += k == 0 ? shortGap(random) : k == 1 ? midGap(random) : longGap(random);
        while (!allowed.empty() && now - allowed.front() >= kWindow) allowed.pop_front();
        const bool expected = allowed.size() < size_t(kLimit);
        ASSERT_EQ(limiter.Allow(address, now), expected) << "request " << i << " at " << now;
        if (expected)
            allowed.push_back(now);
        else
            ++refused;
    }
    EXPECT_GT(refused, 0);  // the schedule did reach the limit
}

// The table of addresses is bounded: a new address is refused only while every tracked one
// was heard from within the window.
TEST(RateLimiter, TableOfAddressesIsBounded) {
    RateLimiter limiter(5, 1000, 2);
    EXPECT_TRUE(limiter.Allow(QStringLiteral("a"), 0));
    EXPECT_TRUE(limiter.Allow(QStringLiteral("b"), 500));
    EXPECT_FALSE(limiter.Allow(QStringLiteral("c"), 900));
    EXPECT_EQ(limiter.Tracked(), 2u);
    // "a" has been quiet for a window and is forgotten; "b" has not.
    EXPECT_TRUE(limiter.Allow(QStringLiteral("c"), 1200));
    EXPECT_EQ(limiter.Tracked(), 2u);
    EXPECT_TRUE(limiter.Allow(QStringLiteral("b"), 1300));
    EXPECT_FALSE(limiter.Allow(QStringLiteral("d"), 1400));
}
