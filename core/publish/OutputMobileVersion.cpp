#include "publish/OutputMobileVersion.h"

#include "base/AppSettings.h"
#include "base/FileUtil.h"
#include "base/Log.h"
#include "base/StringUtil.h"
#include "base/TextEncoding.h"
#include "import/FlashPageSource.h"
#include "publish/FastCopy.h"
#include "publish/MakerInfo.h"
#include "publish/WebText.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateProperty.h"

#include <system_error>

namespace fs = std::filesystem;

namespace zarvex {

namespace {} // namespace

OutputMobileVersion::OutputMobileVersion(std::shared_ptr<FlashPageSource> pageSource,
                                         std::shared_ptr<FlashTemplate> flashTemplate,
                                         fs::path saveFolder, std::int32_t mobileType)
    : iflashTemplate(std::move(flashTemplate)), iflashPageSource(std::move(pageSource)),
      iSaveFolder(std::move(saveFolder)), imobileType(mobileType) {}

void OutputMobileVersion::fail(std::string what) {
    ZLOG_ERROR("{}", what);
    iFailures.push_back(std::move(what));
}

std::string OutputMobileVersion::value(const std::string& key,
                                       const std::string& defaultValue) const {
    return iflashTemplate ? iflashTemplate->propertyValueFor(key, defaultValue) : defaultValue;
}

std::string OutputMobileVersion::numberValue(const std::string& key,
                                             const std::string& defaultValue) const {
    return FlashTemplateProperty::requireNumber(key, value(key, defaultValue));
}

AppSettings& OutputMobileVersion::settings() const {
    return iAppSettings ? *iAppSettings : AppSettings::shareInstance();
}

std::size_t OutputMobileVersion::pageCount() const {
    return iflashPageSource ? iflashPageSource->pages().size() : 0;
}

bool OutputMobileVersion::PublishMobileConfig() {
    iFailures.clear();
    if (!CopytoMobileDir()) {
        fail("the book has no mobile page images; no mobile version was written");
        return false;
    }
    if (imobileType == 1)
        CreateSingleSlideMobile();
    else
        PublishFlipMobileConfig();
    return iFailures.empty();
}

bool OutputMobileVersion::CopytoMobileDir() {
    const fs::path folder = iSaveFolder / "files" / "mobile";
    std::error_code error;
    fs::remove_all(folder, error);
    if (error)
        fail("cannot remove " + folder.string() + ": " + error.message());
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        fail("cannot create the folder " + folder.string());
        return iflashPageSource && !iflashPageSource->mobilePages().empty();
    }
    if (!iflashPageSource)
        return false;
    for (const FlashPagePtr& page : iflashPageSource->mobilePages()) {
        if (!page)
            continue;
        const fs::path destination = folder / (std::to_string(page->pageIndex()) + ".jpg");
        fs::remove(destination, error);
        if (!fastCopyFile(page->pageFilePath(), destination, error))
            fail("cannot copy the mobile page " + page->pageFilePath().string() + " to " +
                 destination.string() + ": " + error.message());
    }
    return !iflashPageSource->mobilePages().empty();
}

std::string OutputMobileVersion::GetMobileConfig(const std::string& text, const std::string& key,
                                                 const std::string& value) {
    return text + key + ":" + value + ",";
}

std::string OutputMobileVersion::AddDouble(const std::string& text) {
    return jsStringLiteral(text);
}

std::string OutputMobileVersion::recplaceColor(const std::string& text) {
    std::string colour = text;
    replaceAll(colour, "0x", "#");
    return AddDouble(colour);
}

std::string OutputMobileVersion::mobileConfigText() const {
    const std::string extFiles = "../files/extfiles/";
    auto fileAddress = [&](const std::string& key) -> std::string {
        const std::string file = value(key, "");
        return file.empty() ? std::string() : extFiles + key + "." + pathExtension(file);
    };

    std::string text = "function orgt(s){ return binl2hex(core_hx(str2binl(s), s.length * "
                       "chrsz));} var bookConfig ={";
    const std::pair<const char*, const char*> fixed[] = {
        {"BookmarkButtonVisible", "\"Show\""},
        {"searchColor", "\"#00ffff\""},
        {"searchAlpha", "0.3"},
        {"SearchButtonVisible", "\"Hide\""},
        {"pageBackgroundColor", "\"#30373A\""},
        {"flipshortcutbutton", "\"Show\""},
        {"OriginPageIndex", "1"},
        {"HardPageEnable", "\"No\""},
        {"topMargin", "10"},
        {"bottomMargin", "10"},
        {"leftMargin", "10"},
        {"rightMargin", "10"},
        {"LinkDownColor", "\"#808080\""},
        {"OpenWindow", "\"Blank\""},
        {"LinkAlpha", "0.1"},
    };
    for (const auto& [key, fixedValue] : fixed)
        text = GetMobileConfig(text, key, fixedValue);

    const std::string background = value("ImagePath", "");
    const std::string backgroundAddress =
        iflashTemplate && iflashTemplate->tmplName() == "Panoramic" ? extFiles + "b.jpg"
                                                                    : fileAddress("ImagePath");
    const std::pair<std::string, std::string> entries[] = {
        {"appLogoIcon", AddDouble(fileAddress("LogoFile"))},
        {"appLogoLinkURL", AddDouble(value("link", ""))},
        {"bookTitle", AddDouble(value("Title", ""))},
        {"bookDescription", AddDouble(value("AuthorInfo", ""))},
        {"ShareButtonVisible", AddDouble(value("Share", "Show"))},
        {"ThumbnailsButtonVisible", AddDouble(value("Thumbnail", "Show"))},
        {"ZoomButtonVisible", AddDouble(value("Zoom", "Show"))},
        {"enableAutoPlay", AddDouble(value("Enable", "No"))},
        {"autoPlayDuration", numberValue("Interval", "3")},
        {"autoPlayLoopCount", numberValue("loop", "0")},
        {"bgBeginColor", recplaceColor(value("GradientStartColor", "0xFF9900"))},
        {"bgEndColor", recplaceColor(value("GradientEndColor", "0xe8ac4d"))},
        {"bgMRotation", numberValue("GradientAngle", "90")},
        {"backGroundImgURL", AddDouble(backgroundAddress)},
        {"RightToLeft", AddDouble(value("direction", "Right") == "Right" ? "No" : "Yes")},
        {"googleAnalyticsID", AddDouble(value("GoogleAnalytics", ""))},
        {"totalPageCount", std::to_string(pageCount())},
        {"largePageWidth", std::to_string(settings().PageWidth())},
        {"largePageHeight", std::to_string(settings().PageHeight())},
        {"normalPath", "\"../files/mobile/\""},
        {"largePath", "\"../files/mobile/\""},
    };
    for (const auto& [key, entryValue] : entries)
        text = GetMobileConfig(text, key, entryValue);
    text += "thumbPath:\"../files/mobile/\"";
    text += "};var pageEditor = [];ols=[]";
    return text;
}

std::string OutputMobileVersion::slideOptionsText() const {
    return "{pageWidth:" + std::to_string(settings().PageWidth()) +
           ",pageHeight:" + std::to_string(settings().PageHeight()) +
           ",totalPage:" + std::to_string(pageCount()) +
           ",zoomPageDir:\"../files/mobile/\",normalPageDir:\"../files/mobile/\"}";
}

std::optional<std::string> OutputMobileVersion::GetPreviewJSText(const fs::path& file) {
    auto bytes = readFile(file);
    if (!bytes)
        return std::nullopt;
    return text::decodeText(*bytes);
}

void OutputMobileVersion::PublishFlipMobileConfig() {
    const std::string config = mobileConfigText();
    const fs::path player = iSaveFolder / "mobile";
    if (!iflashTemplate || !iflashTemplate->copyMobilePathToFile(player, "Flip")) {
        fail("cannot install the Flip player into " + player.string());
        return;
    }
    const fs::path preview = player / "javascript" / "main_preview.js";
    const auto script = GetPreviewJSText(preview);
    const fs::path mainScript = player / "javascript" / "main.js";
    if (!script)
        fail("the Flip player has no javascript/main_preview.js; no main.js was written");
    // A line break keeps the player's last statement apart from ours.
    else if (!writeFileAtomically(
                 mainScript,
                 *script + (script->empty() || script->ends_with('\n') ? "" : "\n") + config))
        fail("cannot write " + mainScript.string());
    std::error_code error;
    fs::remove(preview, error);
}

void OutputMobileVersion::CreateSingleSlideMobile() {
    const fs::path player = iSaveFolder / "mobile";
    if (!iflashTemplate || !iflashTemplate->copyMobilePathToFile(player, "Slide")) {
        fail("cannot install the Slide player into " + player.string());
        return;
    }
    const fs::path page = player / "index.html";
    generateMobileHtmlFrom(page, page);
}

bool OutputMobileVersion::generateMobileHtmlFrom(const fs::path& from, const fs::path& to) {
    const auto bytes = readFile(from);
    if (!bytes) {
        fail("cannot read the Slide page " + from.string());
        return false;
    }
    std::string page = text::decodeText(*bytes);
    replaceAll(page, "${index.title}", htmlEscape(value("bookTitle", maker::kDomainName)));
    replaceAll(page, "${fbbook.options}", slideOptionsText());
    if (!writeFileAtomically(to, page)) {
        fail("cannot write the Slide page " + to.string());
        return false;
    }
    return true;
}

} // namespace zarvex
