#include "base/AppSettings.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace zarvex;
using namespace zarvex::test;

// A damaged store gives defaults and is not overwritten by reading it; what a
// save does not understand (a key of another version) survives it, a text that
// is not UTF-8 (ISO 8859-1 from a file name) is saved with a replacement
// character rather than failing the save, and a save that cannot write fails.
TEST(AppSettings, StoresSurviveDamageOddTextsAndFailedWrites) {
    TempHome home;
    const std::filesystem::path store = home.config() / "zarvex/settings.json";
    writeFile(store, "{not json");
    AppSettings damaged(store);
    EXPECT_EQ(std::tuple(damaged.importPageRange(), damaged.ImportType()), std::tuple("", 0));
    EXPECT_EQ(slurp(store), "{not json");

    writeFile(store, R"({"lastImportedFile": 7, "importQualityLevel": "high",
                         "importLinks": 1, "unknownKey": [1]})");
    {
        AppSettings s(store);
        EXPECT_EQ(std::tuple(s.lastImportedFile(), s.importQualityLevel(), s.importLinks()),
                  std::tuple("", 0, 1));
        s.setLastOutputFileFolder("/out/caf\xE9");
        ASSERT_TRUE(s.saveSettings());
    }
    const auto saved = nlohmann::json::parse(slurp(store));
    EXPECT_EQ(std::pair(saved["unknownKey"].dump(), saved["lastOutputFileFolder"]),
              std::pair(std::string("[1]"), nlohmann::json("/out/caf\uFFFD")));

    std::filesystem::remove(store);
    std::filesystem::create_directories(store); // a folder where the file should be
    EXPECT_FALSE(AppSettings(store).saveSettings());

    // The application's own store is in ~/.config when XDG_CONFIG_HOME names none.
    ScopedEnv noConfigHome("XDG_CONFIG_HOME", "");
    EXPECT_EQ(AppSettings::shareInstance().storeFile(),
              home.path() / ".config/zarvex/settings.json");
}
