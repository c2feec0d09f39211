#include "HelpFile.h"

#include "GuiText.h"

#include "base/Log.h"
#include "base/Resources.h"

#include <QCoreApplication>
#include <QUrl>

namespace zarvex::gui {

namespace fs = std::filesystem;

bool openHelpFile(QWidget* parent, const Choosers& choosers, const fs::path& relative) {
    const auto tr = [](const char* text) { return QCoreApplication::translate("Help", text); };
    fs::path manual;
    try {
        manual = resourcePath(relative);
    } catch (const std::exception&) {
    }
    QString problem;
    std::error_code ec;
    if (manual.empty() || !fs::exists(manual, ec))
        problem = tr("The manual is missing from this installation.");
    else if (!choosers.openUrl || !choosers.openUrl(QUrl::fromLocalFile(qpath(manual))))
        problem = tr("No application could open the manual %1.").arg(qpath(manual));
    if (problem.isEmpty())
        return true;
    ZLOG_WARN("Help: {}", problem.toStdString());
    showMessage(parent, QMessageBox::Warning, tr("Help"), problem);
    return false;
}

} // namespace zarvex::gui
