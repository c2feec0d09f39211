#include "GuiText.h"

namespace zarvex::gui {

void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 const QString& details) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent); // deletes itself
    box->setInformativeText(details);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

} // namespace zarvex::gui
