#include "app/BookPublisher.h"

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/Log.h"
#include "publish/FlashBookOutput.h"
#include "publish/FlashBookOutputApp.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/OutputMobileVersion.h"

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

} // namespace

fs::path BookPublisher::onPublish(const PublishChoices& choices) {
    AppSettings& settings = iAppSettings_ ? *iAppSettings_ : AppSettings::shareInstance();
    settings.setLastOutputFileFolder(choices.folder.string());
    settings.setLastOutputFileName(choices.fileName);
    settings.setLastOutputFileTitle(choices.title);
    settings.setOutputType(choices.outputType);
    settings.setOutputCreateMobile(choices.createMobile);
    settings.setMobileType(choices.mobileType);
    settings.saveSettings();

    const std::string name = choices.fileName + ".html";
    auto html = std::make_shared<HTMLConfigInfo>();
    std::unique_ptr<FlashBookOutput> writer;
    if (settings.outputType() == 1) {
        writer = std::make_unique<FlashBookOutputApp>(iFlashPageSource_, iFlashTmpl_,
                                                      choices.folder, name);
    } else {
        std::error_code ec;
        if (!choices.folder.empty() && !fs::exists(choices.folder, ec))
            fs::create_directories(choices.folder, ec);
        writer =
            std::make_unique<FlashBookOutput>(iFlashPageSource_, iFlashTmpl_, choices.folder, name);
    }
    OutputMobileVersion mobile(iFlashPageSource_, iFlashTmpl_, choices.folder,
                               settings.MobileType());
    mobile.setAppSettings(&settings);
    try {
        html->setHTMLTitle(settings.lastOutputFileTitle());
        writer->setHTMLConfig(html);
        writer->setAppSettings(&settings);
        writer->setFlashPagesAnnotations(iFlashPagesAnnotations_);
        writer->setFlashOutline(iFlashOutline_);
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
        ZLOG_ERROR("publish error:{}", e.what());
        throw Error(std::string("publishing failed: ") + e.what());
    }
}

} // namespace zarvex
