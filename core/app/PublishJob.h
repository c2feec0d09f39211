#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvex {

class AppSettings;

enum class PageFormat { Flash, Image };
enum class MobileKind { Flip, Slide };

// One book to publish: the choices of the import sheet, the template chooser
// and the publish sheet together. Every member has its default, so a request
// may name only what it changes ({.pdf = file, .out = folder}).
struct PublishRequest {
    std::optional<std::filesystem::path> pdf{}; // absent: the demo book
    std::filesystem::path out{};                // the book folder
    std::string pages = "ALL";
    int quality = 0; // level 0 (JPEG quality 100) to 4 (25)
    PageFormat format = PageFormat::Flash;
    bool links = false;
    bool bookmarks = false;
    bool text = false; // the pages' words, into files/text and the HTML page
    std::string templateName = "float";
    // With neither a chosen template nor a style, the template keeps the
    // settings it starts with; otherwise the style (the template's default
    // style unless named) is applied.
    bool templateGiven = false;
    std::optional<std::string> style{};
    std::optional<std::filesystem::path> settingsFile{};
    std::vector<std::pair<std::string, std::string>> sets{}; // applied in order, after the file
    std::string name = "index";         // of the HTML page, without ".html", or of NAME.app
    std::optional<std::string> title{}; // the PDF's name, or the demo book's title, unless given
    bool app = false;                   // the application bundle instead of a folder book
    bool zoomPages = false;             // also the pages' 288-dpi zoom images (files/zoom)
    std::optional<MobileKind> mobile{}; // also the mobile version (folder form only)
    bool overwrite = false;             // an output folder that holds an earlier book may go
    bool strict = false; // a file that the settings name but that is missing fails the job
    // Folders that the book never replaces nor is written into, besides the
    // resources and the preview folder; a front end that moved the per-user
    // folders names the user's own preview folder here.
    std::vector<std::filesystem::path> protectedFolders{};
};

// What a finished job leaves for the front end to show.
struct PublishResult {
    std::filesystem::path folder; // the output folder, absolute
    std::filesystem::path book;   // the HTML page or the application bundle in it
    std::optional<std::filesystem::path> mobilePage;
    // Flash pages are read by script, which browsers allow only over http.
    bool needsHttp = false;
    // One line each: files that the settings name but that are missing (left
    // out of the book), and files taken from outside the resources and the
    // PDF's folder.
    std::vector<std::string> warnings;
    std::vector<std::string> notices;
};

// What the job tells its front end while it runs, all on the calling thread.
struct PublishEvents {
    // A step begins ("Building the preview").
    std::function<void(std::string_view step)> step;
    // `done` of `total` items of `task` are finished; `detail` names the item.
    std::function<void(std::string_view task, int done, int total, std::string_view detail)>
        advance;
    // Asked before each page of the import and between the steps: true ends
    // the job as a failure that leaves nothing behind.
    std::function<bool()> interrupted;
};

// Publishes a book as the desktop application's sheets do, with the checks of
// a run that nobody watches: every input is checked before anything is
// written (the PDF, the page range, the template, style and property keys, the
// settings file, the output folder), the book is written into a hidden folder
// beside the output folder and moved into place only once it is complete (see
// OutputFolder). Every failure is raised as zarvex::Error with a one-line
// message and leaves the output folder as it was.
//
// The import and the writers read and remember their choices in `settings`
// (AppSettings::shareInstance() unless set). One job at a time per process:
// the import's progress comes through the default notification center.
class PublishJob {
public:
    explicit PublishJob(PublishRequest request) : request_(std::move(request)) {}

    void setAppSettings(AppSettings* settings) { settings_ = settings; }

    PublishResult run(const PublishEvents& events = {});

private:
    PublishRequest request_;
    AppSettings* settings_ = nullptr;
};

} // namespace zarvex
