#include "ProgressDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using zarvex::cli::ProgressDisplay;

TEST(ProgressDisplay, PlainLinesShowAboutTenPerTaskAndEveryNamedStep) {
    std::ostringstream out;
    {
        ProgressDisplay progress(out, ProgressDisplay::Mode::Lines);
        for (const char* task : {"Importing pages", "Making thumbnails"})
            for (int i = 1; i <= 300; ++i)
                progress.advance(task, i, 300);
        progress.advance("Writing the book", 1, 3, "Copying pages");
        progress.advance("Writing the book", 2, 3, "Copying thumbnails");
        progress.advance("Writing the book", 3, 3, "Copying the theme");
        progress.step("Done");
    }
    const std::string text = out.str();
    EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 2 * 11 + 3 + 1) << text;
    for (const char* line : {"Importing pages: 300 of 300\n", "Making thumbnails: 300 of 300\n",
                             "Writing the book: 2 of 3 (Copying thumbnails)\n", "Done\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
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
    const std::string text = out.str();
    EXPECT_NE(text.find("\r\x1b[KImporting pages [###############---------------] 1/2"),
              std::string::npos);
    EXPECT_NE(text.find("2/2\nBuilding the preview\n"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n') << "the last bar is closed when the display ends";
}

// Quiet runs show nothing, which the command-line runs check.
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
