#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarvex {

class AppSettings;
class FlashPageSource;
class FlashTemplate;

// Writes the mobile (HTML5) version of a book beside its Flash form: the mobile
// page images into O/files/mobile/ and one of the two shipped players into
// O/mobile/, configured from the template's values. Type 1 is "Slide", every
// other type "Flip". One thread at a time; used once and released.
class OutputMobileVersion {
public:
    OutputMobileVersion(std::shared_ptr<FlashPageSource> pageSource,
                        std::shared_ptr<FlashTemplate> flashTemplate,
                        std::filesystem::path saveFolder, std::int32_t mobileType);

    // The whole mobile output. Without mobile pages only O/files/mobile/ is
    // emptied. False (failures() says why) when no mobile version could be
    // written completely, including when there are no mobile pages. Raises Error
    // as mobileConfigText() does.
    bool PublishMobileConfig();
    // Replaces O/files/mobile/ with the mobile images named {pageIndex}.jpg.
    // True when the page source has at least one mobile page.
    bool CopytoMobileDir();
    // Installs the Flip player and writes mobile/javascript/main.js: the player's
    // main_preview.js followed by mobileConfigText().
    void PublishFlipMobileConfig();
    // Installs the Slide player and fills the placeholders of its index.html.
    void CreateSingleSlideMobile();
    // Replaces "${index.title}" (HTML-escaped) and "${fbbook.options}" in the page
    // `from` and writes it atomically to `to`. False when either file fails.
    bool generateMobileHtmlFrom(const std::filesystem::path& from, const std::filesystem::path& to);

    // The Flip player's configuration: a script that ends with the object
    // `bookConfig` and the two arrays the player expects. Quoted values are
    // escaped as script string literals and the values written bare ("Interval",
    // "loop", "GradientAngle") must be numbers, so any value yields a valid
    // script that runs nothing. Raises Error for a value that is no number.
    std::string mobileConfigText() const;
    // The Slide player's options object.
    std::string slideOptionsText() const;

    // The file's text, or absent when it cannot be read.
    static std::optional<std::string> GetPreviewJSText(const std::filesystem::path& file);
    // `text` followed by key:value,
    static std::string GetMobileConfig(const std::string& text, const std::string& key,
                                       const std::string& value);
    // A script string literal of `text`.
    static std::string AddDouble(const std::string& text);
    // AddDouble of `text` with every "0x" replaced by "#".
    static std::string recplaceColor(const std::string& text);

    const std::shared_ptr<FlashTemplate>& flashTemplate() const { return iflashTemplate; }
    void setFlashTemplate(std::shared_ptr<FlashTemplate> value) {
        iflashTemplate = std::move(value);
    }
    const std::shared_ptr<FlashPageSource>& flashPageSource() const { return iflashPageSource; }
    void setFlashPageSource(std::shared_ptr<FlashPageSource> value) {
        iflashPageSource = std::move(value);
    }
    const std::filesystem::path& SaveFolder() const { return iSaveFolder; }
    void setSaveFolder(std::filesystem::path value) { iSaveFolder = std::move(value); }
    std::int32_t mobileType() const { return imobileType; }
    void setMobileType(std::int32_t value) { imobileType = value; }
    // The settings that give the page size; AppSettings::shareInstance() unless set.
    void setAppSettings(AppSettings* settings) { iAppSettings = settings; }

    const std::vector<std::string>& failures() const { return iFailures; }

private:
    void fail(std::string what);
    std::string value(const std::string& key, const std::string& defaultValue) const;
    // value() checked by FlashTemplateProperty::requireNumber.
    std::string numberValue(const std::string& key, const std::string& defaultValue) const;
    AppSettings& settings() const;
    std::size_t pageCount() const;

    std::shared_ptr<FlashTemplate> iflashTemplate;
    std::shared_ptr<FlashPageSource> iflashPageSource;
    std::filesystem::path iSaveFolder;
    std::int32_t imobileType = 0;
    AppSettings* iAppSettings = nullptr;
    std::vector<std::string> iFailures;
};

} // namespace zarvex
