#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace zarvex {

// The user's remembered choices and the current page size, persisted as JSON in
// $XDG_CONFIG_HOME/zarvex/settings.json. Every accessor may be called from any
// thread. The store is read once, when the singleton is created; it is written
// only by saveSettings().
class AppSettings {
public:
    // The process-wide instance, created (and loaded) on the first call.
    static AppSettings& shareInstance();

    // A free-standing instance over the given file: for tests and for front ends
    // that must not share the desktop application's store.
    explicit AppSettings(std::filesystem::path storeFile);

    void loadSettings();
    // Writes every setting, atomically (temporary file, then rename). Returns false
    // and logs when the file cannot be written.
    bool saveSettings();

    const std::filesystem::path& storeFile() const { return storeFile_; }

    std::string lastImportedFile() const;
    void setLastImportedFile(std::string value);
    int importPageRangeType() const { return importPageRangeType_; }
    void setImportPageRangeType(int value) { importPageRangeType_ = value; }
    std::string importPageRange() const;
    void setImportPageRange(std::string value);
    int importQualityLevel() const { return importQualityLevel_; }
    void setImportQualityLevel(int value) { importQualityLevel_ = value; }
    std::string lastOutputFileFolder() const;
    void setLastOutputFileFolder(std::string value);
    std::string lastOutputFileName() const;
    void setLastOutputFileName(std::string value);
    std::string lastOutputFileTitle() const;
    void setLastOutputFileTitle(std::string value);
    int OutputCreateMobile() const { return OutputCreateMobile_; }
    void setOutputCreateMobile(int value) { OutputCreateMobile_ = value; }
    int MobileType() const { return MobileType_; }
    void setMobileType(int value) { MobileType_ = value; }
    // 1: publishing also writes the pages' high-resolution zoom images.
    int OutputZoomPages() const { return OutputZoomPages_; }
    void setOutputZoomPages(int value) { OutputZoomPages_ = value; }
    int outputType() const { return outputType_; }
    void setOutputType(int value) { outputType_ = value; }
    int importBookmark() const { return importBookmark_; }
    void setImportBookmark(int value) { importBookmark_ = value; }
    int importLinks() const { return importLinks_; }
    void setImportLinks(int value) { importLinks_ = value; }
    // 1: the import extracts the pages' text.
    int importText() const { return importText_; }
    void setImportText(int value) { importText_ = value; }
    int ImportType() const { return ImportType_; }
    void setImportType(int value) { ImportType_ = value; }
    int PageWidth() const { return PageWidth_; }
    void setPageWidth(int value) { PageWidth_ = value; }
    int PageHeight() const { return PageHeight_; }
    void setPageHeight(int value) { PageHeight_ = value; }

private:
    struct Setting;
    static const Setting kSettings[17];

    std::filesystem::path storeFile_;
    mutable std::mutex textMutex_; // guards the text settings; integers are atomic
    std::string lastImportedFile_;
    std::atomic<int> importPageRangeType_{0};
    std::string importPageRange_;
    std::atomic<int> importQualityLevel_{0};
    std::string lastOutputFileFolder_;
    std::string lastOutputFileName_;
    std::string lastOutputFileTitle_;
    std::atomic<int> OutputCreateMobile_{0};
    std::atomic<int> MobileType_{0};
    std::atomic<int> OutputZoomPages_{0};
    std::atomic<int> outputType_{0};
    std::atomic<int> importBookmark_{0};
    std::atomic<int> importLinks_{0};
    std::atomic<int> importText_{0};
    std::atomic<int> ImportType_{0};
    std::atomic<int> PageWidth_{1080};
    std::atomic<int> PageHeight_{1440};
};

} // namespace zarvex
