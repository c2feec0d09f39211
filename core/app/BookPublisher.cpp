#include "app/BookPublisher.h"

#include "app/OutputFolder.h"
#include "app/PublishInputs.h"
#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/Log.h"
#include "base/StringUtil.h"
#include "import/FlashPageSource.h"
#include "publish/FlashBookOutput.h"
#include "publish/FlashBookOutputApp.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/OutputMobileVersion.h"
#include "publish/ReplaceableFolder.h"

#include <system_error>

namespace zarvex {

namespace fs = std::filesystem;

BookPublisher::BookPublisher(std::shared_ptr<FlashPageSource> pageSource,
                             std::shared_ptr<FlashTemplate> tmpl,
                             std::shared_ptr<FlashOutline> outline,
                             std::shared_ptr<FlashPagesAnnotations> annotations)
    : iFlashPageSource_(std::move(pageSource)), iFlashTmpl_(std::move(tmpl)),
      iFlashOutline_(std::move(outline)), iFlashPagesAnnotations_(std::move(annotations)) {}

namespace {

std::string joinedFailures(const std::vector<std::string>& failures, const char* fallback) {
    std::string text;
    for (const auto& failure : failures)
        text += (text.empty() ? "" : "; ") + failure;
    return text.empty() ? fallback : text;
}

std::size_t filesIn(const fs::path& folder) {
    std::error_code ec;
    std::size_t count = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        ++count;
    return count;
}

// A written book is complete when its page, configuration, player and page
// files are all there; the writers themselves report no failures.
void checkBook(const fs::path& bookFolder, const fs::path& htmlPage, std::size_t pageCount,
               bool mobile) {
    std::vector<std::string> missing;
    std::error_code ec;
    for (const fs::path& file :
         {htmlPage, bookFolder / "files/config.xml", bookFolder / "files/book.swf"}) {
        if (!fs::is_regular_file(file, ec))
            missing.push_back(fs::relative(file, bookFolder, ec).string());
    }
    if (filesIn(bookFolder / "files/page") != pageCount)
        missing.push_back("files/page (" + std::to_string(filesIn(bookFolder / "files/page")) +
                          " of " + std::to_string(pageCount) + " pages)");
    if (mobile && !fs::is_directory(bookFolder / "mobile", ec))
        missing.push_back("mobile");
    if (!missing.empty())
        throw Error("the book is incomplete (missing " + joinedNames(missing) +
                    "); nothing was published");
}

} // namespace

AppSettings& BookPublisher::settings() const {
    return iAppSettings_ ? *iAppSettings_ : AppSettings::shareInstance();
}

void BookPublisher::rememberChoices(AppSettings& settings, const PublishChoices& choices) const {
    settings.setLastOutputFileFolder(choices.folder.string());
    settings.setLastOutputFileName(choices.fileName);
    settings.setLastOutputFileTitle(choices.title);
    settings.setOutputType(choices.outputType);
    settings.setOutputCreateMobile(choices.createMobile);
    settings.setMobileType(choices.mobileType);
    settings.setOutputZoomPages(choices.zoomPages);
    settings.saveSettings();
}

fs::path BookPublisher::writeBook(AppSettings& settings, const fs::path& folder) {
    const std::string name = settings.lastOutputFileName() + ".html";
    auto html = std::make_shared<HTMLConfigInfo>();
    std::unique_ptr<FlashBookOutput> writer;
    if (settings.outputType() == 1) {
        writer = std::make_unique<FlashBookOutputApp>(iFlashPageSource_, iFlashTmpl_, folder, name);
    } else {
        std::error_code ec;
        if (!folder.empty() && !fs::exists(folder, ec))
            fs::create_directories(folder, ec);
        writer = std::make_unique<FlashBookOutput>(iFlashPageSource_, iFlashTmpl_, folder, name);
    }
    OutputMobileVersion mobile(iFlashPageSource_, iFlashTmpl_, folder, settings.MobileType());
    mobile.setAppSettings(&settings);
    try {
        html->setHTMLTitle(settings.lastOutputFileTitle());
        writer->setHTMLConfig(html);
        writer->setAppSettings(&settings);
        writer->setFlashPagesAnnotations(iFlashPagesAnnotations_);
        writer->setFlashOutline(iFlashOutline_);
        writer->setZoomPages(settings.OutputZoomPages() == 1);
        if (previewFolder_)
            writer->setPreviewPath(previewFolder_);
        if (progress_)
            writer->setProgress(progress_);
        if (!writer->ouputTheBook())
            throw Error(joinedFailures(writer->failures(), "the book is incomplete"));
        if (settings.OutputCreateMobile() == 1 && settings.outputType() == 0) {
            if (progress_)
                progress_("Writing the mobile version", 0, 1);
            if (!mobile.PublishMobileConfig())
                throw Error(joinedFailures(mobile.failures(), "the mobile version is incomplete"));
        }
        return writer->outputFileName();
    } catch (const std::exception& e) {
        throw Error(std::string("publishing failed: ") + e.what());
    }
}

fs::path BookPublisher::onPublish(const PublishChoices& choices) {
    AppSettings& settings = this->settings();
    rememberChoices(settings, choices);
    try {
        return writeBook(settings, choices.folder);
    } catch (const Error& e) {
        ZLOG_ERROR("publish error:{}", e.what());
        throw;
    }
}

fs::path BookPublisher::publishInto(OutputFolder& output, const PublishChoices& choices,
                                    const std::function<bool()>& interrupted) {
    AppSettings& settings = this->settings();
    PublishChoices remembered = choices;
    remembered.folder = output.target();
    rememberChoices(settings, remembered);
    try {
        // The logo, background, sound and download files are inputs too.
        if (iFlashTmpl_)
            output.addInputs(propertyFiles(*iFlashTmpl_));
        const fs::path written = writeBook(settings, output.staging());
        if (interrupted && interrupted())
            throw Error("interrupted; nothing was published");
        const fs::path relative = fs::relative(written, output.staging());
        const std::size_t pageCount =
            iFlashPageSource_ ? iFlashPageSource_->normalPages().size() : 0;
        if (settings.outputType() == 1) {
            const fs::path resourcesFolder = written / "Contents" / "Resources";
            checkBook(resourcesFolder, resourcesFolder / "index.html", pageCount, false);
        } else {
            checkBook(output.staging(), written, pageCount, settings.OutputCreateMobile() == 1);
        }
        output.commit();
        return output.target() / relative;
    } catch (const Error& e) {
        ZLOG_ERROR("publish error:{}", e.what());
        throw;
    }
}

bool readsPagesOverHttp(const FlashPageSource& source) {
    const auto& pages = source.normalPages();
    return !pages.empty() && pages.front() && pages.front()->pageFilePath().extension() == ".swf";
}

std::string httpViewingHint(const fs::path& folder, const fs::path& page) {
    return "serve the folder, for example: python3 -m http.server -d " +
           shellQuoted(folder.string()) + ", then open http://localhost:8000/" +
           page.lexically_relative(folder).string();
}

} // namespace zarvex
