#include "base/AppSettings.h"

#include "base/FileUtil.h"
#include "base/Log.h"
#include "base/Resources.h"

#include <nlohmann/json.hpp>

#include <variant>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace zarvex {

// One persisted setting: its store key and where its value lives. Saving and
// loading walk this table in declaration order, so a setting added here is
// persisted without further code.
struct AppSettings::Setting {
    const char* key;
    std::variant<std::string AppSettings::*, std::atomic<int> AppSettings::*> member;
};

const AppSettings::Setting AppSettings::kSettings[17] = {
    {"lastImportedFile", &AppSettings::lastImportedFile_},
    {"importPageRangeType", &AppSettings::importPageRangeType_},
    {"importPageRange", &AppSettings::importPageRange_},
    {"importQualityLevel", &AppSettings::importQualityLevel_},
    {"lastOutputFileFolder", &AppSettings::lastOutputFileFolder_},
    {"lastOutputFileName", &AppSettings::lastOutputFileName_},
    {"lastOutputFileTitle", &AppSettings::lastOutputFileTitle_},
    {"OutputCreateMobile", &AppSettings::OutputCreateMobile_},
    {"MobileType", &AppSettings::MobileType_},
    {"OutputZoomPages", &AppSettings::OutputZoomPages_},
    {"outputType", &AppSettings::outputType_},
    {"importBookmark", &AppSettings::importBookmark_},
    {"importLinks", &AppSettings::importLinks_},
    {"ImportText", &AppSettings::importText_},
    {"ImportType", &AppSettings::ImportType_},
    {"PageWidth", &AppSettings::PageWidth_},
    {"PageHeight", &AppSettings::PageHeight_},
};

AppSettings& AppSettings::shareInstance() {
    // A function-local static is created exactly once even when two threads
    // make the first call together.
    static AppSettings instance(userConfigPath() / "zarvex" / "settings.json");
    return instance;
}

AppSettings::AppSettings(fs::path storeFile) : storeFile_(std::move(storeFile)) {
    loadSettings();
    // The page size always starts from the sample book's, whatever was stored.
    PageWidth_ = 1080;
    PageHeight_ = 1440;
}

void AppSettings::loadSettings() {
    std::error_code ec;
    if (!fs::exists(storeFile_, ec))
        return;
    const auto bytes = readFile(storeFile_);
    if (!bytes) {
        ZLOG_WARN("settings cannot be read from {}; the defaults are used", storeFile_.string());
        return;
    }
    Json store = Json::parse(*bytes, nullptr, false);
    if (store.is_discarded() || !store.is_object()) {
        ZLOG_WARN("settings file {} is not a JSON object; the defaults are used",
                  storeFile_.string());
        return;
    }
    std::scoped_lock lock(textMutex_);
    for (const auto& setting : kSettings) {
        const auto it = store.find(setting.key);
        if (it == store.end())
            continue; // a missing entry keeps the current value
        if (auto text = std::get_if<std::string AppSettings::*>(&setting.member)) {
            if (it->is_string())
                this->*(*text) = it->get<std::string>();
            else
                ZLOG_WARN("setting {} is not a text; ignored", setting.key);
        } else {
            auto integer = std::get<std::atomic<int> AppSettings::*>(setting.member);
            if (it->is_number_integer())
                (this->*integer) = it->get<int>();
            else
                ZLOG_WARN("setting {} is not an integer; ignored", setting.key);
        }
    }
}

bool AppSettings::saveSettings() {
    // Keys this version does not know are kept, so an older build never drops a
    // newer build's settings.
    Json store = Json::object();
    if (const auto bytes = readFile(storeFile_)) {
        Json old = Json::parse(*bytes, nullptr, false);
        if (!old.is_discarded() && old.is_object())
            store = std::move(old);
    }
    {
        std::scoped_lock lock(textMutex_);
        for (const auto& setting : kSettings) {
            if (auto text = std::get_if<std::string AppSettings::*>(&setting.member))
                store[setting.key] = this->*(*text);
            else
                store[setting.key] =
                    (this->*std::get<std::atomic<int> AppSettings::*>(setting.member)).load();
        }
    }
    std::error_code ec;
    fs::create_directories(storeFile_.parent_path(), ec);
    // Paths and titles come from the command line and the file system, which
    // need not be UTF-8: such bytes are stored as U+FFFD rather than failing.
    const std::string text = store.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    if (!writeFileAtomically(storeFile_, text)) {
        ZLOG_ERROR("settings cannot be written to {}", storeFile_.string());
        return false;
    }
    return true;
}

#define ZARVEX_TEXT_SETTING(getter, setter, field)                                                 \
    std::string AppSettings::getter() const {                                                      \
        std::scoped_lock lock(textMutex_);                                                         \
        return field;                                                                              \
    }                                                                                              \
    void AppSettings::setter(std::string value) {                                                  \
        std::scoped_lock lock(textMutex_);                                                         \
        field = std::move(value);                                                                  \
    }

ZARVEX_TEXT_SETTING(lastImportedFile, setLastImportedFile, lastImportedFile_)
ZARVEX_TEXT_SETTING(importPageRange, setImportPageRange, importPageRange_)
ZARVEX_TEXT_SETTING(lastOutputFileFolder, setLastOutputFileFolder, lastOutputFileFolder_)
ZARVEX_TEXT_SETTING(lastOutputFileName, setLastOutputFileName, lastOutputFileName_)
ZARVEX_TEXT_SETTING(lastOutputFileTitle, setLastOutputFileTitle, lastOutputFileTitle_)

#undef ZARVEX_TEXT_SETTING

} // namespace zarvex
