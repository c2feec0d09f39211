#include "base/NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace zarvex;

TEST(NotificationCenter, DeliversByNameOnThePostingThreadAndObserversMayChangeMeanwhile) {
    NotificationCenter center;
    std::vector<int> pages;
    std::thread::id seenOn;
    ScopedObserver obs(center, "ImportProgressInfoMSG", [&](const Notification& n) {
        pages.push_back(n.value<int>("pageIndex"));
        EXPECT_EQ(std::tuple(n.value<int>("totalPage"), n.value<int>("missing", -1),
                             n.value<std::string>("pageIndex", "wrong type")),
                  std::tuple(3, -1, "wrong type"));
        seenOn = std::this_thread::get_id();
    });
    center.post("Other", {{"pageIndex", 9}});
    std::jthread([&] {
        center.post("ImportProgressInfoMSG", {{"pageIndex", 1}, {"totalPage", 3}});
    }).join();
    EXPECT_EQ(pages, std::vector<int>{1});
    EXPECT_NE(seenOn, std::this_thread::get_id());

    // An observer may remove itself and others while it is called; posts and
    // registrations on several threads at once lose nothing.
    int first = 0, second = 0;
    NotificationCenter::Token t2 = 0;
    NotificationCenter::Token t1 = center.addObserver("n", [&](const Notification&) {
        ++first;
        center.removeObserver(t1);
        center.removeObserver(t2);
    });
    t2 = center.addObserver("n", [&](const Notification&) { ++second; });
    center.post("n");
    center.post("n");
    EXPECT_EQ(std::pair(first, second), std::pair(1, 0));

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
