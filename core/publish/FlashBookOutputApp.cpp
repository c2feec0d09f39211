#include "publish/FlashBookOutputApp.h"

#include "base/Log.h"
#include "base/Resources.h"
#include "publish/FastCopy.h"
#include "publish/WebText.h"

#include <system_error>

namespace fs = std::filesystem;

namespace zarvex {

namespace {

std::string bundleName(const std::string& name) {
    return deletingPathExtension(name) + ".app";
}

} // namespace

FlashBookOutputApp::FlashBookOutputApp(std::shared_ptr<FlashPageSource> pageSource,
                                       std::shared_ptr<FlashTemplate> flashTemplate,
                                       fs::path folder, const std::string& name)
    : FlashBookOutput(std::move(pageSource), std::move(flashTemplate),
                      folder / bundleName(name) / "Contents" / "Resources", bundleName(name)) {}

fs::path FlashBookOutputApp::outputHTMLFileName() const {
    return iSaveToFolder / "index.html";
}

fs::path FlashBookOutputApp::outputFileName() const {
    return iSaveToFolder.parent_path().parent_path();
}

bool FlashBookOutputApp::ouputTheBook() {
    iFailures.clear();
    const fs::path bundle = outputFileName();
    // The bundle is removed whole, so its name must not lead anywhere else.
    if (iSaveToFileName.find('/') != std::string::npos || iSaveToFileName == ".app" ||
        bundle.filename() != iSaveToFileName) {
        fail("not a usable application name: " + iSaveToFileName);
        return false;
    }
    if (!removeIfExists(bundle) || !createFolder(bundle))
        return false;

    const fs::path skeleton = zarvex::resourcePath("AppFiles/TmplData/mac.app/Contents");
    std::error_code error;
    if (!copyItem(skeleton, iSaveToFolder.parent_path(), error)) {
        // The bundle is still written, without the viewer's files.
        ZLOG_ERROR("ouput the book,copy failed:{}", error.message());
        iFailures.push_back("ouput the book,copy failed:" + error.message() + " (" +
                            skeleton.string() + ")");
    }
    if (!fs::is_directory(iSaveToFolder) && !createFolder(iSaveToFolder))
        return false;

    std::vector<std::string> skeletonFailures = std::move(iFailures);
    const bool bookWritten = assembleBook();
    iFailures.insert(iFailures.begin(), skeletonFailures.begin(), skeletonFailures.end());
    return bookWritten && iFailures.empty();
}

} // namespace zarvex
