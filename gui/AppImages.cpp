#include "AppImages.h"

#include "base/Resources.h"

#include <QFile>

namespace zarvex::gui {

QIcon appImage(const QString& name) {
    const auto file =
        QString::fromStdString((resourcePath("images") / (name.toStdString() + ".svg")).string());
    return QFile::exists(file) ? QIcon(file) : QIcon();
}

} // namespace zarvex::gui
