#include "CliJob.h"

#include "ProgressDisplay.h"
#include "RunEnvironment.h"
#include "TerminalText.h"

#include "app/BookPublisher.h"
#include "app/PublishInputs.h"
#include "app/PublishJob.h"
#include "base/Error.h"
#include "base/Resources.h"
#include "base/StringUtil.h"
#include "base/Xml.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFDocument.h"
#include "templates/FlashTemplate.h"

#include <atomic>
#include <csignal>
#include <string>
#include <vector>

namespace zarvex::cli {

namespace fs = std::filesystem;

namespace {

// Set by SIGINT/SIGTERM; the job stops before its next page or step and ends
// as a failure, removing what it had written.
std::atomic<bool> gInterrupted{false};

extern "C" void onInterrupt(int) {
    gInterrupted = true;
}

class InterruptGuard {
public:
    InterruptGuard() {
        gInterrupted = false;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~InterruptGuard() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

} // namespace

void CliJob::run(std::ostream& out, std::ostream& messages, ProgressDisplay& progress) {
    switch (options_.command) {
    case Command::Publish:
        publish(out, messages, progress);
        break;
    case Command::Templates:
        listTemplates(out);
        break;
    case Command::Inspect:
        inspect(out);
        break;
    case Command::Version:
        out << "zarvex-cli " << ZARVEX_VERSION << '\n';
        break;
    case Command::Help:
        out << usageText();
        break;
    }
}

void CliJob::listTemplates(std::ostream& out) {
    RunEnvironment environment;
    const auto names = templateNames();
    if (names.empty())
        throw Error("no templates found in '" + resourcePath("AppFiles/Templates").string() + "'");
    for (const auto& name : names) {
        FlashTemplate tmpl(name);
        std::vector<std::string> styles = styleNames(name);
        for (auto& style : styles) {
            if (style == tmpl.defaultSytleName())
                style += " (default)";
        }
        out << printable(name) << (name == "float" ? " (default)" : "") << ": "
            << printable(styles.empty() ? "no styles" : joinedNames(styles)) << '\n';
    }
}

void CliJob::inspect(std::ostream& out) {
    RunEnvironment environment;
    const PublishRequest& request = options_.request;
    const fs::path pdf = *request.pdf;
    auto document = openImportablePdf(pdf);
    selectedPages(request.pages, *document, pdf);
    const bool both = !request.links && !request.bookmarks;
    if (request.links || both) {
        FlashPagesAnnotationsPDF annotations;
        annotations.loadLinksFromPDF(document, request.pages);
        auto node = annotations.pagesAnnotationsNode();
        // Link addresses and captions come from the document as they are.
        out << printable(node ? xml::toString(node, true) : std::string("<pagesAnnos/>")) << '\n';
    }
    if (request.bookmarks || both) {
        FlashOutlinePDF outline;
        outline.loadOutlineFromPDF(document.get());
        out << printable(outline.outlineAsXMLNode().toString(true, false)) << '\n';
    }
}

void CliJob::publish(std::ostream& out, std::ostream& messages, ProgressDisplay& progress) {
    InterruptGuard interrupts;
    RunEnvironment environment;
    PublishRequest request = options_.request;
    // The run has a preview folder of its own; the desktop application's stays
    // out of reach as well.
    request.protectedFolders.push_back(environment.userPreviewFolder());

    PublishEvents events;
    events.step = [&](std::string_view step) { progress.step(step); };
    events.advance = [&](std::string_view task, int done, int total, std::string_view detail) {
        progress.advance(task, done, total, detail);
    };
    events.interrupted = [] { return gInterrupted.load(); };
    const PublishResult result = PublishJob(std::move(request)).run(events);

    progress.step("Done");
    for (const std::string& warning : result.warnings)
        messages << "zarvex-cli: warning: " << printableLine(warning) << '\n';
    for (const std::string& notice : result.notices)
        messages << "zarvex-cli: notice: " << printableLine(notice) << '\n';
    if (options_.request.app) {
        out << "Application written to " << printable(result.book.string()) << '\n';
        return;
    }
    out << "Book written to " << printable(result.book.string()) << '\n';
    if (options_.quiet)
        return;
    if (result.needsHttp)
        out << "Its pages load over http only; "
            << printable(httpViewingHint(result.folder, result.book)) << '\n';
    else
        out << "Open it in a browser: xdg-open " << printable(shellQuoted(result.book.string()))
            << '\n';
    if (result.mobilePage)
        out << "Mobile version: " << printable(result.mobilePage->string()) << '\n';
}

} // namespace zarvex::cli
