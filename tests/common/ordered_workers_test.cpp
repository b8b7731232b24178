#include "common/ordered_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace sorvane {
namespace {

constexpr size_t kItems = 500;

// Items made on the workers, or on the calling thread when no worker got a maker, arrive in
// order.
TEST(OrderedWorkers, ItemsArriveInOrderWhoeverMakesThem) {
    const struct {
        int workers, withMaker;
        size_t window;
    } cases[] = {{3, 3, 2}, {3, 1, 4}, {8, 8, 64}, {2, 0, 4}};
    for (const auto& c : cases) {
        std::atomic<int> makers{0};
        std::atomic<size_t> madeHere{0};
        std::vector<size_t> arrived;
        runInOrder<size_t>(
            kItems, c.workers, c.window,
            [&]() -> ItemMaker<size_t> {
                if (makers++ >= c.withMaker) return {};
                return [](size_t i) { return i * i; };
            },
            [&](size_t i) {
                ++madeHere;
                return i * i;
            },
            [&](size_t i, size_t& item) {
                EXPECT_EQ(item, i * i);
                arrived.push_back(i);
            });
        ASSERT_EQ(arrived.size(), kItems) << c.workers;
        for (size_t i = 0; i < kItems; ++i)
            ASSERT_EQ(arrived[i], i);
        EXPECT_EQ(madeHere, c.withMaker == 0 ? kItems : 0u) << c.workers;
    }
}

TEST(OrderedWorkers, AnItemThatFailsReachesTheCallerAtItsTurn) {
    size_t consumed = 0;
    auto make = [](size_t i) -> int {
        if (i == 123) throw std::runtime_error("item 123");
        return 0;
    };
    EXPECT_THROW(runInOrder<int>(
                     kItems, 3, 8, [&]() -> ItemMaker<int> { return make; }, make,
                     [&](size_t i, int&) { consumed = i + 1; }),
                 std::runtime_error);
    EXPECT_EQ(consumed, 123u);
}

}  // namespace
}  // namespace sorvane
