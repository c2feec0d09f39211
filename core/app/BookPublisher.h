#pragma once

#include "publish/PublishProgress.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zarvex {

class AppSettings;
class FlashOutline;
class OutputFolder;
class FlashPageSource;
class FlashPagesAnnotations;
class FlashTemplate;

// The choices of the publish window.
struct PublishChoices {
    std::filesystem::path folder;
    std::string fileName; // of the HTML page, without ".html"
    std::string title;    // of the HTML page
    int outputType = 0;   // 0 folder with HTML page, 1 application bundle
    int createMobile = 0; // 1: also the mobile version (folder form only)
    int mobileType = 0;   // 0 Flip, 1 Slide
    int zoomPages = 0;    // 1: also the pages' high-resolution zoom images
};

// Publishing without the window: saves the choices in the settings, writes the
// book in the chosen form and then, when asked, its mobile version. The book
// must have been previewed first: the configuration takes its page list from
// the preview folder.
//
// Main thread; one publish at a time per settings object (the writers read the
// page size from it).
class BookPublisher {
public:
    BookPublisher(std::shared_ptr<FlashPageSource> pageSource, std::shared_ptr<FlashTemplate> tmpl,
                  std::shared_ptr<FlashOutline> outline,
                  std::shared_ptr<FlashPagesAnnotations> annotations);

    // The preview folder the configuration takes its page list from; the
    // per-user one unless set.
    void setPreviewPath(std::filesystem::path folder) { previewFolder_ = std::move(folder); }
    // Where the choices are remembered and the writers read the page size;
    // AppSettings::shareInstance() unless set.
    void setAppSettings(AppSettings* settings) { iAppSettings_ = settings; }
    // Hears the writers' steps.
    void setProgress(PublishProgress progress) { progress_ = std::move(progress); }

    // Writes the book and returns the writer's outputFileName (the HTML page or
    // the application bundle). A writer that raises or reports failures is
    // logged as "publish error:..." and raised as zarvex::Error; what was
    // written stays (callers write into a folder they can discard).
    std::filesystem::path onPublish(const PublishChoices& choices);

    // onPublish() the safe way, for every front end: the choices are
    // remembered with the output's target as the folder (choices.folder is not
    // used), the book is written into the output's staging folder, checked to
    // be complete (HTML page, configuration, player, every page, the mobile
    // version when asked) and only then moved into place. Returns the HTML page
    // or the bundle at its final place. Every failure is logged as "publish
    // error:..." and raised as zarvex::Error; the target stays as it was, also
    // when `interrupted`, asked once the book is written, answers true.
    std::filesystem::path publishInto(OutputFolder& output, const PublishChoices& choices,
                                      const std::function<bool()>& interrupted = {});

private:
    AppSettings& settings() const;
    void rememberChoices(AppSettings& settings, const PublishChoices& choices) const;
    // Writes the book in the form the settings remember into `folder`.
    std::filesystem::path writeBook(AppSettings& settings, const std::filesystem::path& folder);

    std::shared_ptr<FlashPageSource> iFlashPageSource_;
    std::shared_ptr<FlashTemplate> iFlashTmpl_;
    std::shared_ptr<FlashOutline> iFlashOutline_;
    std::shared_ptr<FlashPagesAnnotations> iFlashPagesAnnotations_;
    std::optional<std::filesystem::path> previewFolder_;
    AppSettings* iAppSettings_ = nullptr;
    PublishProgress progress_;
};

// Browsers show a book whose pages are Flash files only over http: the book
// reads them by script, which file addresses do not allow.
bool readsPagesOverHttp(const FlashPageSource& source);

// How to read such a book, on one line: "serve the folder, for example:
// python3 -m http.server -d '<folder>', then open http://localhost:8000/<page>".
std::string httpViewingHint(const std::filesystem::path& folder, const std::filesystem::path& page);

} // namespace zarvex
