#include "ProgressDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

using zarvex::cli::ProgressDisplay;

// Quiet runs show nothing, which the command-line runs check.
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
    // Each bar is closed by the next line, the last when the display ends.
    const std::string full = " [##############################] ";
    EXPECT_EQ(
        out.str(),
        "\r\x1b[KImporting pages [###############---------------] 1/2\r\x1b[KImporting pages" +
            full + "2/2\nBuilding the preview\n\r\x1b[KWriting the book" + full +
            "1/1 Copying pages\n");
}
