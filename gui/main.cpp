// zarvex: the desktop application.
//
//   zarvex [file.pdf]             the main window; a PDF given opens in the import sheet
//   zarvex --screenshot out.png   starts, waits for the preview, saves a picture of the
//                                 window, prints the start-up time and quits
#include "MainWindow.h"
#include "QuitOnSignal.h"

#include "app/BookController.h"
#include "base/Log.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

// Lets the page of the preview finish drawing its pages before the picture is taken.
constexpr int kScreenshotSettleMs = 1500;

} // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer started;
    started.start();
    // Chromium refuses its sandbox to root; the preview shows only our own files.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(zarvex::gui::kAppName);
    QApplication::setApplicationVersion(ZARVEX_VERSION);
    QApplication::setDesktopFileName("zarvex");

    QCommandLineParser parser;
    parser.setApplicationDescription("Turns a PDF into a page-turning book for the web.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption screenshot("screenshot",
                                  "Save a picture of the window once the preview shows, then quit.",
                                  "file.png");
    parser.addOption(screenshot);
    parser.addPositionalArgument("pdf", "A PDF to import.", "[file.pdf]");
    parser.process(app);

    zarvex::prepaireTheLog(zarvex::gui::kAppName);
    ZLOG_INFO("version is:{}", ZARVEX_VERSION);

    zarvex::gui::QuitOnSignal quitOnSignal;
    zarvex::BookController controller;
    zarvex::gui::MainWindow window(controller);
    QObject::connect(&app, &QCoreApplication::aboutToQuit,
                     [&controller] { controller.applicationWillTerminate(); });

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QObject::connect(
            &window, &zarvex::gui::MainWindow::previewShown, &window,
            [&window, &started, file](bool ok) {
                std::printf("preview %s after %lld ms\n", ok ? "shown" : "failed",
                            static_cast<long long>(started.elapsed()));
                std::fflush(stdout);
                QTimer::singleShot(kScreenshotSettleMs, &window, [&window, file] {
                    if (!window.grab().save(file))
                        std::fprintf(stderr, "zarvex: cannot write %s\n", qPrintable(file));
                    QCoreApplication::quit();
                });
            },
            Qt::SingleShotConnection);
    }

    try {
        window.launch();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarvex: %s\n", e.what());
        return 1;
    }
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.openPdf(parser.positionalArguments().first().toStdString());
    return app.exec();
}
