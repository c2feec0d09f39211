#include "base/NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace zarvex;

// The import posts its progress from its worker: delivered by name on the
// posting thread, and posts and registrations on several threads at once lose
// nothing.
TEST(NotificationCenter, DeliversByNameOnThePostingThreadAndLosesNothingAcrossThreads) {
    NotificationCenter center;
    std::vector<int> pages;
    std::thread::id seenOn;
    ScopedObserver obs(center, "ImportProgressInfoMSG", [&](const Notification& n) {
        pages.push_back(n.value<int>("pageIndex"));
        seenOn = std::this_thread::get_id();
    });
    center.post("Other", {{"pageIndex", 9}});
    std::jthread([&] { center.post("ImportProgressInfoMSG", {{"pageIndex", 1}}); }).join();
    EXPECT_EQ(pages, std::vector<int>{1});
    EXPECT_NE(seenOn, std::this_thread::get_id());

    std::atomic<int> count{0};
    ScopedObserver keep(center, "n", [&](const Notification&) { ++count; });
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < 500; ++i) {
                    ScopedObserver temp(center, "n", [](const Notification&) {});
                    center.post("n");
                }
            });
    }
    EXPECT_EQ(count.load(), 2000);
}
