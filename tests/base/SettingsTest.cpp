#include "base/AppSettings.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace zarvex;
using namespace zarvex::test;
using Json = nlohmann::ordered_json;

namespace {

std::filesystem::path storeIn(const TempHome& home) {
    return home.config() / "zarvex" / "settings.json";
}

} // namespace

// The store holds every setting in declaration order with its kind of value;
// texts that are not UTF-8 (ISO 8859-1, stray bytes from a file name) are stored
// with replacement characters rather than failing the save.
TEST(AppSettings, EveryChoiceComesBackInANewRunButThePageSizeRestarts) {
    TempHome home;
    {
        AppSettings s(storeIn(home));
        s.setLastImportedFile("/books/Ünïcode file.pdf");
        s.setImportPageRangeType(1);
        s.setImportPageRange("1-5,8\xFF");
        s.setImportQualityLevel(3);
        s.setLastOutputFileFolder("/out/caf\xE9");
        s.setLastOutputFileName("book\xFE");
        s.setLastOutputFileTitle("My \"Book\"");
        s.setOutputCreateMobile(2);
        s.setMobileType(4);
        s.setOutputZoomPages(1);
        s.setOutputType(5);
        s.setImportBookmark(6);
        s.setImportLinks(7);
        s.setImportText(1);
        s.setImportType(8);
        s.setPageWidth(800);
        s.setPageHeight(600);
        ASSERT_TRUE(s.saveSettings());
    }
    Json expected = Json::parse(R"({
        "lastImportedFile": "/books/Ünïcode file.pdf", "importPageRangeType": 1,
        "importPageRange": "1-5,8\ufffd", "importQualityLevel": 3,
        "lastOutputFileFolder": "/out/caf\ufffd", "lastOutputFileName": "book\ufffd",
        "lastOutputFileTitle": "My \"Book\"", "OutputCreateMobile": 2, "MobileType": 4,
        "OutputZoomPages": 1, "outputType": 5, "importBookmark": 6, "importLinks": 7, "ImportText": 1,
        "ImportType": 8,
        "PageWidth": 800, "PageHeight": 600})");
    EXPECT_EQ(Json::parse(slurp(storeIn(home))).dump(), expected.dump()); // keys in order

    // A new run reads every choice back: saved afresh, it stores the same.
    AppSettings again(storeIn(home));
    std::filesystem::remove(storeIn(home));
    ASSERT_TRUE(again.saveSettings());
    expected["PageWidth"] = 1080;
    expected["PageHeight"] = 1440;
    EXPECT_EQ(Json::parse(slurp(storeIn(home))).dump(), expected.dump());
}

TEST(AppSettings, DamagedStoresGiveDefaultsWithoutLosingAnythingAndTheSharedOneIsTheUsers) {
    TempHome home;
    // Mistyped entries keep their defaults, later ones still load, and a key this
    // version does not know survives a save.
    writeFile(storeIn(home), R"({"lastImportedFile": 7, "importQualityLevel": "high",
                                 "importLinks": 1, "ImportType": 1, "unknownKey": [1]})");
    {
        AppSettings s(storeIn(home));
        EXPECT_EQ(std::tuple(s.lastImportedFile(), s.importQualityLevel(), s.importLinks(),
                             s.ImportType()),
                  std::tuple("", 0, 1, 1));
        ASSERT_TRUE(s.saveSettings());
        EXPECT_NE(slurp(storeIn(home)).find("\"unknownKey\""), std::string::npos);
    }

    writeFile(storeIn(home), "{not json");
    AppSettings s(storeIn(home));
    EXPECT_EQ(std::tuple(s.importPageRange(), s.ImportType()), std::tuple("", 0));
    EXPECT_EQ(slurp(storeIn(home)), "{not json");

    std::filesystem::remove(storeIn(home));
    std::filesystem::create_directories(storeIn(home)); // a folder where the file should be
    EXPECT_FALSE(AppSettings(storeIn(home)).saveSettings());

    // The application's own store is in ~/.config when XDG_CONFIG_HOME names none.
    ScopedEnv noConfigHome("XDG_CONFIG_HOME", "");
    EXPECT_EQ(AppSettings::shareInstance().storeFile(),
              home.path() / ".config/zarvex/settings.json");
}
