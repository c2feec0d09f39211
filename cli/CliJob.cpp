#include "CliJob.h"

#include "OutputFolder.h"
#include "ProgressDisplay.h"
#include "RunEnvironment.h"
#include "TerminalText.h"

#include "app/BookController.h"
#include "app/BookPublisher.h"
#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/Log.h"
#include "base/NotificationCenter.h"
#include "base/Resources.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSource.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/ImportPDFOperation.h"
#include "import/PDFDocument.h"
#include "publish/ReplaceableFolder.h"
#include "templates/FlashTemplate.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace zarvex::cli {

namespace fs = std::filesystem;

namespace {

// Set by SIGINT/SIGTERM; the import stops before its next page and the run
// ends as a failure, removing what it had written.
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

    static void check() {
        if (gInterrupted)
            throw Error("interrupted; nothing was published");
    }

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// JPEG quality of the import's quality levels.
int qualityForLevel(int level) {
    static constexpr int kQuality[] = {100, 85, 65, 45, 25};
    return level >= 0 && level < 5 ? kQuality[level] : 100;
}

void checkReadable(const fs::path& file, const char* what) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status))
        throw Error(std::string("the ") + what + " " + quoted(file) + " does not exist");
    if (fs::is_directory(status))
        throw Error(std::string("the ") + what + " " + quoted(file) + " is a folder, not a file");
    // A device or a pipe may never end (/dev/zero) or wait for a writer for ever.
    if (!fs::is_regular_file(status))
        throw Error(std::string("the ") + what + " " + quoted(file) +
                    " is not a regular file (a device, pipe or socket)");
    if (!std::ifstream(file, std::ios::binary))
        throw Error(std::string("the ") + what + " " + quoted(file) + " cannot be read");
}

bool looksEncrypted(const fs::path& pdf) {
    auto bytes = readFile(pdf);
    return bytes && bytes->find("/Encrypt") != std::string::npos;
}

// The open document, or an Error saying why it cannot be used.
std::shared_ptr<PDFDocument> openPdf(const fs::path& pdf) {
    checkReadable(pdf, "PDF file");
    auto document = PDFDocument::open(pdf);
    if (!document) {
        if (looksEncrypted(pdf))
            throw Error("the PDF file " + quoted(pdf) +
                        " is encrypted (password protected) and cannot be imported");
        throw Error("the file " + quoted(pdf) + " is not a readable PDF document");
    }
    if (document->pageCount() <= 0)
        throw Error("the PDF file " + quoted(pdf) + " has no pages");
    return document;
}

// The page numbers of `range` that the document has, or an Error.
std::vector<int> selectedPages(const std::string& range, const PDFDocument& document,
                               const fs::path& pdf) {
    int count = document.pageCount();
    std::vector<int> pages = FlashPageSource::parsePageRange(range, count);
    std::erase_if(pages, [count](int p) { return p < 1 || p > count; });
    if (pages.empty())
        throw Error("the page range '" + range + "' selects no page of " + quoted(pdf) + " (" +
                    std::to_string(count) + (count == 1 ? " page)" : " pages)"));
    return pages;
}

std::vector<std::string> folderNames(const std::vector<fs::path>& folders) {
    std::vector<std::string> names;
    for (const auto& folder : folders) {
        fs::path p = folder;
        if (p.filename().empty())
            p = p.parent_path();
        names.push_back(p.filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
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
        throw Error("the book is incomplete (missing " + joined(missing) +
                    "); nothing was published");
}

// What the file properties of a book's template name, sorted out before the
// book is written.
struct NamedFiles {
    std::vector<std::string> missing;  // "path (key)": left out of the book
    std::vector<std::string> external; // "path (key)": copied from outside the sources
};

// The folders a book takes files from without a notice: the resource folder at
// any depth (with the folders its links lead to), and the PDF's own folder.
struct BookSources {
    std::vector<fs::path> resources;
    std::optional<fs::path> pdfFolder;

    BookSources(const fs::path& resourceFolder, const std::optional<fs::path>& pdf) {
        resources.push_back(resolvedPath(resourceFolder));
        std::error_code ec;
        for (fs::directory_iterator it(resourceFolder, ec), end; !ec && it != end; it.increment(ec))
            resources.push_back(resolvedPath(it->path()));
        if (pdf)
            pdfFolder = resolvedPath(fs::absolute(*pdf).parent_path());
    }

    // Only the files directly beside the PDF: a PDF in the home folder must not
    // vouch for everything below it.
    bool holds(const fs::path& resolved) const {
        if (pdfFolder && resolved.parent_path() == *pdfFolder)
            return true;
        return std::any_of(resources.begin(), resources.end(),
                           [&](const fs::path& root) { return isWithin(resolved, root); });
    }
};

// Empties the value of every file property whose file is missing, so the book
// is written without it, and lists the files that come from outside `sources`.
NamedFiles sortNamedFiles(FlashTemplate& tmpl, const BookSources& sources) {
    NamedFiles files;
    for (FlashTemplateProperty* node : tmpl.allProperties()) {
        const std::string value = node->value().value_or("");
        if (node->propertyType() != pt_file || value.empty())
            continue;
        const std::string named = value + " (" + node->key().value_or("") + ")";
        std::error_code ec;
        if (!fs::is_regular_file(value, ec)) {
            files.missing.push_back(named);
            node->setValue("");
            continue;
        }
        const fs::path resolved = resolvedPath(value);
        if (!sources.holds(resolved))
            files.external.push_back(resolved == fs::absolute(value).lexically_normal()
                                         ? named
                                         : value + " -> " + resolved.string() + " (" +
                                               node->key().value_or("") + ")");
    }
    return files;
}

// The template and style of the command line, as the template chooser would
// set them; unknown names and property keys are raised before any import.
void chooseTemplate(BookController& controller, const CliOptions& options) {
    auto known = folderNames(FlashTemplate::tmplNames());
    if (std::find(known.begin(), known.end(), options.templateName) == known.end())
        throw Error("unknown template '" + options.templateName + "' (templates: " + joined(known) +
                    ")");
    controller.setFlashTmpl(std::make_shared<FlashTemplate>());
    if (options.templateGiven || options.style) {
        std::string style =
            options.style.value_or(FlashTemplate(options.templateName).defaultSytleName());
        fs::path stylePath = FlashTemplate::stylePathFor(options.templateName, style);
        std::error_code ec;
        if (options.style && !fs::is_directory(stylePath, ec)) {
            auto styles = folderNames(FlashTemplate::tmplStyleNamesForTmpl(options.templateName));
            throw Error("template '" + options.templateName + "' has no style '" + style +
                        "' (styles: " + (styles.empty() ? "none" : joined(styles)) + ")");
        }
        controller.acceptTemplate(stylePath / "tmplSetting.txt");
    }
    const FlashTemplate& tmpl = *controller.flashTmpl();
    if (tmpl.loadError())
        throw Error("template '" + tmpl.tmplName() + "' cannot be loaded: " + *tmpl.loadError());
    for (const auto& [key, value] : options.sets) {
        if (!tmpl.findProperty(key))
            throw Error("unknown property key '" + key + "' in template '" + tmpl.tmplName() + "'");
    }
}

// Imports the document as the import sheet does, showing the four passes.
// Raises Error when the import fails or is interrupted.
ImportedBook importDocument(const CliOptions& options, const fs::path& pdf, PDFSize firstPage,
                            ProgressDisplay& progress) {
    // The import reads its choices from the settings, as the import sheet
    // leaves them.
    AppSettings& settings = AppSettings::shareInstance();
    settings.setLastImportedFile(pdf.string());
    settings.setImportPageRangeType(options.pages == "ALL" ? 0 : 1);
    settings.setImportPageRange(options.pages);
    settings.setImportQualityLevel(options.quality);
    settings.setImportLinks(options.links ? 1 : 0);
    settings.setImportBookmark(options.bookmarks ? 1 : 0);
    settings.setImportType(options.format == PageFormat::Image ? 1 : 0);
    settings.saveSettings();

    static constexpr const char* kPasses[] = {"Importing pages", "Making thumbnails",
                                              "Making mobile images", "Collecting pages"};
    int pass = -1;
    int lastDone = 0;
    ImportPDFOperation operation(pdf, options.pages, 144, qualityForLevel(options.quality));
    operation.setImportLinks(options.links);
    operation.setImportBookmarks(options.bookmarks);
    ScopedObserver observer(NotificationCenter::defaultCenter(), FlashPageSource::kProgressMessage,
                            [&](const Notification& note) {
                                // Each pass counts from 1 again.
                                int done = note.value<int>("pageIndex");
                                if (pass < 0 || done <= lastDone)
                                    pass = std::min(pass + 1, 3);
                                lastDone = done;
                                progress.advance(kPasses[pass], done, note.value<int>("totalPage"));
                                if (gInterrupted)
                                    operation.cancel();
                            });
    operation.main();
    progress.finish();
    InterruptGuard::check();
    if (!operation.flashPageSource())
        throw Error("the import of " + quoted(pdf) + " failed; nothing was published");

    const int pageWidth = static_cast<int>(firstPage.width);
    const int pageHeight = static_cast<int>(firstPage.height);
    if (options.format == PageFormat::Image) {
        // JPEG pages are rendered at twice the points of the page.
        settings.setPageWidth(pageWidth * 2);
        settings.setPageHeight(pageHeight * 2);
        settings.saveSettings();
    }
    return ImportedBook{operation.flashPageSource(), operation.flashPagesAnnotation(),
                        operation.flashOutline(), pageWidth, pageHeight};
}

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
    auto names = folderNames(FlashTemplate::tmplNames());
    if (names.empty())
        throw Error("no templates found in " + quoted(resourcePath("AppFiles/Templates")));
    for (const auto& name : names) {
        FlashTemplate tmpl(name);
        std::vector<std::string> styles = folderNames(FlashTemplate::tmplStyleNamesForTmpl(name));
        for (auto& style : styles) {
            if (style == tmpl.defaultSytleName())
                style += " (default)";
        }
        out << printable(name) << (name == "float" ? " (default)" : "") << ": "
            << printable(styles.empty() ? "no styles" : joined(styles)) << '\n';
    }
}

void CliJob::inspect(std::ostream& out) {
    RunEnvironment environment;
    const fs::path pdf = *options_.pdf;
    auto document = openPdf(pdf);
    selectedPages(options_.pages, *document, pdf);
    bool both = !options_.links && !options_.bookmarks;
    if (options_.links || both) {
        FlashPagesAnnotationsPDF annotations;
        annotations.loadLinksFromPDF(document, options_.pages);
        auto node = annotations.pagesAnnotationsNode();
        // Link addresses and captions come from the document as they are.
        out << printable(node ? xml::toString(node, true) : std::string("<pagesAnnos/>")) << '\n';
    }
    if (options_.bookmarks || both) {
        FlashOutlinePDF outline;
        outline.loadOutlineFromPDF(document.get());
        out << printable(outline.outlineAsXMLNode().toString(true, false)) << '\n';
    }
}

void CliJob::publish(std::ostream& out, std::ostream& messages, ProgressDisplay& progress) {
    InterruptGuard interrupts;
    // Inputs are checked before anything is written.
    if (options_.pdf)
        checkReadable(*options_.pdf, "PDF file");
    if (options_.settingsFile) {
        checkReadable(*options_.settingsFile, "settings file");
        if (!readFile(*options_.settingsFile))
            throw Error("the settings file " + quoted(*options_.settingsFile) + " cannot be read");
    }

    RunEnvironment environment;
    const fs::path resources = resourcesPath();
    OutputFolder::Rules rules;
    rules.overwrite = options_.overwrite;
    rules.neverReplaced = {"/", homePath()};
    // The resource folder may be a farm of links into the shipped data: the
    // folders the links lead to are protected as well.
    rules.neverTouched = {resources, resources / "AppFiles", resources / "DemoImgs_standard",
                          environment.userPreviewFolder(), environment.previewFolder()};
    if (options_.pdf)
        rules.inputs.push_back(*options_.pdf);
    if (options_.settingsFile)
        rules.inputs.push_back(*options_.settingsFile);
    rules.bundleName = options_.name + ".app";
    OutputFolder::check(options_.out, rules);

    // Template and style first: unknown names and keys fail before the import.
    auto known = folderNames(FlashTemplate::tmplNames());
    if (std::find(known.begin(), known.end(), options_.templateName) == known.end())
        throw Error("unknown template '" + options_.templateName +
                    "' (templates: " + joined(known) + ")");
    BookController controller;
    chooseTemplate(controller, options_);

    // Made once every input has been checked, so a refused run creates nothing.
    std::optional<OutputFolder> output;
    std::string title = options_.title.value_or("");
    if (options_.pdf) {
        const fs::path pdf = fs::absolute(*options_.pdf);
        auto document = openPdf(pdf);
        // The book takes its page size from the first page it holds, as the
        // pictures show it.
        const int first = selectedPages(options_.pages, *document, pdf).front();
        const PDFSize firstPage = document->pageAt(first - 1).displaySize();
        document.reset();
        if (!options_.title)
            title = pdf.stem().string();
        output.emplace(options_.out, rules);
        controller.acceptImport(importDocument(options_, pdf, firstPage, progress));
    } else {
        output.emplace(options_.out, rules);
        progress.step("Using the demo book");
        controller.loadDemoBook();
        // The sample pages are JPEG images already: they serve as the mobile
        // version's pages too, which the image source itself does not make.
        if (auto demo = controller.flashPageSource(); demo && options_.mobile)
            demo->setMobilePages(demo->pages());
        if (!options_.title)
            title = "3D Zarvex demo book";
    }
    auto source = controller.flashPageSource();
    if (!source || source->normalPages().empty())
        throw Error(options_.pdf ? "the import produced no pages; nothing was published"
                                 : "the demo book has no pages (" +
                                       resourcePath("DemoImgs_standard/large").string() + ")");

    FlashTemplate& tmpl = *controller.flashTmpl();
    if (options_.settingsFile && !tmpl.importPropertiesSettingsFrom(*options_.settingsFile))
        throw Error("the settings file " + quoted(*options_.settingsFile) + " cannot be read");
    for (const auto& [key, value] : options_.sets)
        tmpl.setPropertyValue(key, value);
    // A settings file from elsewhere may name files that are gone, or private
    // files that it should not take into a book unseen.
    const NamedFiles namedFiles = sortNamedFiles(tmpl, BookSources(resources, options_.pdf));
    if (options_.strict && !namedFiles.missing.empty())
        throw Error(
            (namedFiles.missing.size() == 1
                 ? "the file " + namedFiles.missing.front() + " is missing"
                 : std::to_string(namedFiles.missing.size()) +
                       " files that the settings name are missing: " + joined(namedFiles.missing)) +
            "; nothing was published (--strict)");
    // The logo, background, sound and download files are inputs too.
    output->addInputs(propertyFiles(tmpl));

    InterruptGuard::check();
    progress.step("Building the preview");
    if (!controller.applyChange() || !controller.applyError().empty())
        throw Error("the book cannot be built: " + controller.applyError());

    InterruptGuard::check();
    PublishChoices choices;
    choices.folder = output->staging();
    choices.fileName = options_.name;
    choices.title = title;
    choices.outputType = options_.app ? 1 : 0;
    choices.createMobile = options_.mobile ? 1 : 0;
    choices.mobileType = options_.mobile == MobileKind::Slide ? 1 : 0;
    BookPublisher publisher(source, controller.flashTmpl(), controller.flashOutline(),
                            controller.flashPagesAnnotations());
    publisher.setPreviewPath(controller.flashPreviewFolder());
    publisher.setProgress([&](const std::string& step, int index, int count) {
        progress.advance(options_.app ? "Writing the application" : "Writing the book", index + 1,
                         count, step);
    });
    fs::path result = publisher.onPublish(choices);
    progress.finish();

    InterruptGuard::check();
    fs::path written = fs::relative(result, output->staging());
    if (options_.app) {
        fs::path resourcesFolder = result / "Contents" / "Resources";
        checkBook(resourcesFolder, resourcesFolder / "index.html", source->normalPages().size(),
                  false);
    } else {
        checkBook(output->staging(), result, source->normalPages().size(),
                  options_.mobile.has_value());
    }
    output->commit();

    fs::path final = output->target() / written;
    progress.step("Done");
    for (const std::string& file : namedFiles.missing)
        messages << "zarvex-cli: warning: " << printableLine(file)
                 << " is missing or not a file; the book is published without it\n";
    for (const std::string& file : namedFiles.external)
        messages << "zarvex-cli: notice: the book includes " << printableLine(file)
                 << (options_.pdf ? ", from outside the PDF's folder and the resources\n"
                                  : ", from outside the resources\n");
    if (options_.app) {
        out << "Application written to " << printable(final.string()) << '\n';
    } else {
        out << "Book written to " << printable(final.string()) << '\n';
        // Browsers let a page's script read Flash page files only over http.
        const bool served = options_.pdf && options_.format == PageFormat::Flash;
        if (!options_.quiet && served)
            out << "Its pages load over http only; serve the folder, for example: "
                << "python3 -m http.server -d " << printable(shellQuoted(output->target().string()))
                << ", then open http://localhost:8000/" << printable(written.string()) << '\n';
        else if (!options_.quiet)
            out << "Open it in a browser: xdg-open " << printable(shellQuoted(final.string()))
                << '\n';
        if (options_.mobile && !options_.quiet)
            out << "Mobile version: "
                << printable((output->target() / "mobile" / "index.html").string()) << '\n';
    }
}

} // namespace zarvex::cli
