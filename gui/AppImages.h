#pragma once

#include <QIcon>
#include <QString>

namespace zarvex::gui {

// A named picture of the application ("apply", "info-normal-hovered", "about"...),
// drawn as SVG under the resource folder "images". An unknown name gives a null icon.
QIcon appImage(const QString& name);

} // namespace zarvex::gui
