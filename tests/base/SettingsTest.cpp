#include "base/AppSettings.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <thread>
#include <vector>

using namespace zarvex;
using zarvex::test::slurp;
using zarvex::test::TempHome;
using zarvex::test::writeFile;

namespace {

std::filesystem::path storeIn(const TempHome& home) {
    return home.config() / "zarvex" / "settings.json";
}

} // namespace

TEST(AppSettings, EmptyStoreGivesDefaults) {
    TempHome home;
    AppSettings s(storeIn(home));
    EXPECT_EQ(s.lastImportedFile(), "");
    EXPECT_EQ(s.importPageRange(), "");
    EXPECT_EQ(s.lastOutputFileTitle(), "");
    EXPECT_EQ(s.importQualityLevel(), 0);
    EXPECT_EQ(s.ImportType(), 0);
    EXPECT_EQ(s.PageWidth(), 1080);
    EXPECT_EQ(s.PageHeight(), 1440);
}

TEST(AppSettings, SavedChoicesComeBackInANewRunButPageSizeRestarts) {
    TempHome home;
    {
        AppSettings s(storeIn(home));
        s.setLastImportedFile("/books/Ünïcode file.pdf");
        s.setImportPageRangeType(1);
        s.setImportPageRange("1-5,8");
        s.setImportQualityLevel(3);
        s.setImportBookmark(1);
        s.setImportLinks(1);
        s.setImportType(1);
        s.setLastOutputFileFolder("/out");
        s.setLastOutputFileName("book");
        s.setLastOutputFileTitle("My \"Book\"");
        s.setOutputType(1);
        s.setOutputCreateMobile(1);
        s.setMobileType(1);
        s.setPageWidth(800);
        s.setPageHeight(600);
        ASSERT_TRUE(s.saveSettings());
    }
    AppSettings s(storeIn(home));
    EXPECT_EQ(s.lastImportedFile(), "/books/Ünïcode file.pdf");
    EXPECT_EQ(s.importPageRangeType(), 1);
    EXPECT_EQ(s.importPageRange(), "1-5,8");
    EXPECT_EQ(s.importQualityLevel(), 3);
    EXPECT_EQ(s.importBookmark(), 1);
    EXPECT_EQ(s.importLinks(), 1);
    EXPECT_EQ(s.ImportType(), 1);
    EXPECT_EQ(s.lastOutputFileFolder(), "/out");
    EXPECT_EQ(s.lastOutputFileName(), "book");
    EXPECT_EQ(s.lastOutputFileTitle(), "My \"Book\"");
    EXPECT_EQ(s.outputType(), 1);
    EXPECT_EQ(s.OutputCreateMobile(), 1);
    EXPECT_EQ(s.MobileType(), 1);
    EXPECT_EQ(s.PageWidth(), 1080);
    EXPECT_EQ(s.PageHeight(), 1440);
}

TEST(AppSettings, StoreKeepsDeclarationOrderAndValueKinds) {
    TempHome home;
    AppSettings s(storeIn(home));
    ASSERT_TRUE(s.saveSettings());
    const auto json = nlohmann::ordered_json::parse(slurp(storeIn(home)));
    std::vector<std::string> keys;
    for (const auto& [k, v] : json.items())
        keys.push_back(k);
    const std::vector<std::string> expected = {
        "lastImportedFile",     "importPageRangeType", "importPageRange",     "importQualityLevel",
        "lastOutputFileFolder", "lastOutputFileName",  "lastOutputFileTitle", "OutputCreateMobile",
        "MobileType",           "outputType",          "importBookmark",      "importLinks",
        "ImportType",           "PageWidth",           "PageHeight"};
    EXPECT_EQ(keys, expected);
    EXPECT_TRUE(json["lastImportedFile"].is_string());
    EXPECT_TRUE(json["PageWidth"].is_number_integer());
}

TEST(AppSettings, MissingOrMistypedEntriesKeepDefaultsAndLaterOnesStillLoad) {
    TempHome home;
    writeFile(storeIn(home), R"({"lastImportedFile": 7, "importQualityLevel": "high",
                                 "importLinks": 1, "ImportType": 1, "unknownKey": [1]})");
    AppSettings s(storeIn(home));
    EXPECT_EQ(s.lastImportedFile(), "");
    EXPECT_EQ(s.importQualityLevel(), 0);
    EXPECT_EQ(s.importLinks(), 1);
    EXPECT_EQ(s.ImportType(), 1);
    ASSERT_TRUE(s.saveSettings());
    // A key this version does not know survives a save.
    EXPECT_NE(slurp(storeIn(home)).find("unknownKey"), std::string::npos);
}

TEST(AppSettings, CorruptOrUnreadableStoreGivesDefaultsWithoutLosingTheFile) {
    TempHome home;
    writeFile(storeIn(home), "{not json");
    AppSettings s(storeIn(home));
    EXPECT_EQ(s.importPageRange(), "");
    EXPECT_EQ(s.PageWidth(), 1080);
    EXPECT_EQ(slurp(storeIn(home)), "{not json");

    std::filesystem::remove(storeIn(home));
    std::filesystem::create_directories(storeIn(home)); // a folder where the file should be
    AppSettings t(storeIn(home));
    EXPECT_FALSE(t.saveSettings());
}

TEST(AppSettings, SharedInstanceIsOneObjectAcrossThreads) {
    std::vector<AppSettings*> seen(8);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < seen.size(); ++i)
            threads.emplace_back([&seen, i] { seen[i] = &AppSettings::shareInstance(); });
    }
    for (auto* p : seen)
        EXPECT_EQ(p, seen.front());
}

TEST(AppSettings, AccessorsAreSafeWhileAnotherThreadWrites) {
    TempHome home;
    AppSettings s(storeIn(home));
    std::jthread writer([&s] {
        for (int i = 0; i < 2000; ++i) {
            s.setPageWidth(i);
            s.setImportPageRange(std::to_string(i));
        }
    });
    for (int i = 0; i < 2000; ++i) {
        (void)s.PageWidth();
        (void)s.importPageRange();
    }
}

TEST(AppSettings, TextsThatAreNotUtf8AreSavedWithReplacementCharacters) {
    using Setter = void (AppSettings::*)(std::string);
    using Getter = std::string (AppSettings::*)() const;
    const std::vector<std::pair<Setter, Getter>> texts = {
        {&AppSettings::setLastImportedFile, &AppSettings::lastImportedFile},
        {&AppSettings::setImportPageRange, &AppSettings::importPageRange},
        {&AppSettings::setLastOutputFileFolder, &AppSettings::lastOutputFileFolder},
        {&AppSettings::setLastOutputFileName, &AppSettings::lastOutputFileName},
        {&AppSettings::setLastOutputFileTitle, &AppSettings::lastOutputFileTitle},
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        TempHome home;
        {
            AppSettings s(storeIn(home));
            (s.*texts[i].first)("caf\xE9 \xFF\xFE.pdf"); // ISO 8859-1 and stray bytes
            s.setImportQualityLevel(2);
            ASSERT_TRUE(s.saveSettings()) << i;
        }
        AppSettings s(storeIn(home));
        EXPECT_EQ((s.*texts[i].second)(), "caf\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD.pdf") << i;
        EXPECT_EQ(s.importQualityLevel(), 2) << i;
    }
}
