#include "ProgressDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using zarvex::cli::ProgressDisplay;

namespace {

std::size_t lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(ProgressDisplay, PlainLinesShowAboutTenPerTaskAndEveryNamedStep) {
    std::ostringstream out;
    {
        ProgressDisplay progress(out, ProgressDisplay::Mode::Lines);
        for (int i = 1; i <= 300; ++i)
            progress.advance("Importing pages", i, 300);
        for (int i = 1; i <= 300; ++i)
            progress.advance("Making thumbnails", i, 300);
        progress.advance("Writing the book", 1, 3, "Copying pages");
        progress.advance("Writing the book", 2, 3, "Copying thumbnails");
        progress.advance("Writing the book", 3, 3, "Copying the theme");
        progress.step("Done");
    }
    std::string text = out.str();
    EXPECT_LE(lines(text), 2 * 11 + 3 + 1) << text;
    EXPECT_NE(text.find("Importing pages: 300 of 300\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Making thumbnails: 300 of 300\n"), std::string::npos) << text;
    EXPECT_NE(text.find("(Copying thumbnails)"), std::string::npos) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos) << "no terminal control in plain lines";
}

TEST(ProgressDisplay, TheBarIsRedrawnInPlaceAndClosedBeforeTheNextLine) {
    std::ostringstream out;
    {
        ProgressDisplay progress(out, ProgressDisplay::Mode::Bar);
        progress.advance("Importing pages", 1, 2);
        progress.advance("Importing pages", 2, 2);
        progress.step("Building the preview");
        progress.advance("Writing the book", 1, 1, "Copying pages");
    }
    std::string text = out.str();
    EXPECT_NE(text.find("\r\x1b[KImporting pages [###############---------------] 1/2"),
              std::string::npos);
    EXPECT_NE(text.find("2/2\nBuilding the preview\n"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n') << "the last bar is closed when the display ends";
}

TEST(ProgressDisplay, SilentShowsNothing) {
    std::ostringstream out;
    {
        ProgressDisplay progress(out, ProgressDisplay::Mode::Silent);
        progress.advance("Importing pages", 1, 1);
        progress.step("Done");
    }
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(ProgressDisplay::modeFor(-1, true), ProgressDisplay::Mode::Silent);
    EXPECT_EQ(ProgressDisplay::modeFor(-1, false), ProgressDisplay::Mode::Lines);
}

TEST(ProgressDisplay, LinesFromSeveralThreadsStayWhole) {
    std::ostringstream out;
    {
        ProgressDisplay progress(out, ProgressDisplay::Mode::Lines);
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&progress, t] {
                for (int i = 0; i < 50; ++i)
                    progress.step("thread " + std::to_string(t) + " line " + std::to_string(i));
            });
    }
    std::istringstream in(out.str());
    std::size_t count = 0;
    for (std::string line; std::getline(in, line); ++count)
        EXPECT_EQ(line.rfind("thread ", 0), 0u) << line;
    EXPECT_EQ(count, 200u);
}
