#pragma once

// Helpers of the widget tests.

#include "GuiText.h"
#include "MainWindow.h"

#include "app/BookController.h"
#include "base/AppSettings.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>

// Texts in failure messages as texts, not as arrays of characters.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace zarvex::test {

using gui::qpath;

// Keeps a picture of a window for people to look at (build folder, gui-shots/).
inline void keepShot(QWidget& widget, const QString& name) {
    QByteArray folder = qgetenv("ZARVEX_GUI_SHOTS");
    if (folder.isEmpty())
        folder = ZARVEX_GUI_SHOTS_DIR;
    std::filesystem::create_directories(folder.toStdString());
    widget.grab().save(QString::fromUtf8(folder) + "/" + name);
}

// One question a window asked: its text, informative text and buttons.
struct Asked {
    QString text;
    QString informative;
    QStringList buttons;
    bool operator==(const Asked&) const = default;
};

// The launched main window over a real controller in a private home, with
// private settings and work base. The choosers answer from queues instead of
// asking a person; what they were asked (the file choosers: the start or the
// caption, and the extensions) and the addresses opened are recorded.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        gui::Choosers choosers;
        const auto answerFile = [this](QWidget*, const QString&, const QString& start,
                                       const QStringList& extensions) {
            asked.push_back({start, extensions});
            return next(fileAnswers, QString());
        };
        choosers.openFile = answerFile;
        choosers.saveFile = answerFile;
        choosers.openFiles = [this](QWidget*, const QString& caption, const QString&,
                                    const QStringList& extensions) {
            asked.push_back({caption, extensions});
            return next(filesAnswers, QStringList());
        };
        choosers.chooseFolder = [this](QWidget*, const QString& prompt) {
            prompts.push_back(prompt);
            return next(folderAnswers, QString());
        };
        choosers.question = [this](QWidget*, const QString& text, const QString& informative,
                                   const QStringList& buttons) {
            questions.push_back({text, informative, buttons});
            return next(answers, -1);
        };
        choosers.color = [this](QWidget*, const QColor&) { return colorAnswer; };
        choosers.openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        controller.setAppSettings(&settings);
        window = std::make_unique<gui::MainWindow>(controller, choosers);
        ASSERT_TRUE(waitForPreview([this] { window->launch(); }));
        window->show();
    }

    // Runs `action` and waits until the web view has loaded the preview it asked for.
    bool waitForPreview(const std::function<void()>& action) {
        QSignalSpy shown(window.get(), &gui::MainWindow::previewShown);
        action();
        // A load that replaces one still running ends that one first, unsuccessfully.
        return QTest::qWaitFor(
            [&] {
                return std::any_of(shown.begin(), shown.end(),
                                   [](const QList<QVariant>& args) { return args.at(0).toBool(); });
            },
            30000);
    }

    // Pixels of the preview close to `color`, a quarter of them; waits until there are
    // `enough` (the count seen last).
    int previewPixels(const QColor& color, int enough = 0) {
        // The web view draws through the window; a grab of the view alone is empty offscreen.
        QWebEngineView* view = window->webView();
        for (int tries = 1;; ++tries) {
            const QImage image =
                window->grab(QRect(view->mapTo(window.get(), QPoint()), view->size())).toImage();
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    count += std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                                 std::abs(c.blue() - color.blue()) <
                             60;
                }
            if (count / 4 >= enough || tries == 100)
                return count / 4;
            QTest::qWait(100);
        }
    }

    template <typename T> static T next(std::deque<T>& queue, T fallback) {
        if (queue.empty())
            return fallback;
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }

    // The work folders that page sources have left.
    std::vector<std::string> workFolders() const { return listFolder(work / "Pellido"); }

    TempHome home;
    TempDir dir;
    TempDir work;
    ScopedEnv workBase{"ZARVEX_WORK_BASE", work.path().string()};
    AppSettings settings{home.config() / "zarvex/settings.json"};
    const std::filesystem::path preview = home.data() / "Drevalis/preview";
    BookController controller;
    std::unique_ptr<gui::MainWindow> window;
    std::deque<QString> fileAnswers, folderAnswers;
    std::deque<QStringList> filesAnswers;
    std::deque<int> answers;
    std::optional<QColor> colorAnswer;
    std::vector<std::pair<QString, QStringList>> asked;
    std::vector<QString> prompts;
    std::vector<Asked> questions;
    std::vector<QUrl> opened;
};

} // namespace zarvex::test
