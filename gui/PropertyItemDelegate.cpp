#include "PropertyItemDelegate.h"

#include "AppImages.h"
#include "PropertyTreeModel.h"

#include "app/FlashTemplateOutlineDelegate.h"
#include "publish/ColorText.h"
#include "templates/FlashTemplateProperty.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QMouseEvent>
#include <QPainter>

namespace zarvex::gui {

using Editor = FlashTemplateOutlineDelegate::Editor;

namespace {

constexpr int kButtonSize = 13;

QColor toQColor(const RgbColor& rgb) {
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green),
                            static_cast<float>(rgb.blue));
}

} // namespace

PropertyItemDelegate::PropertyItemDelegate(Choosers choosers, QObject* parent)
    : QStyledItemDelegate(parent), choosers_(std::move(choosers)) {}

int PropertyItemDelegate::editorKind(const QModelIndex& index) {
    return index.data(PropertyTreeModel::EditorRole).toInt();
}

QRect PropertyItemDelegate::infoButtonRect(const QRect& cell) {
    // 1 short of the cell's right edge, centred on the row.
    QRect button(cell.right() - kButtonSize, cell.top() + (cell.height() - kButtonSize) / 2,
                 kButtonSize, kButtonSize);
    return button.left() < cell.left() ? QRect() : button;
}

QRect PropertyItemDelegate::swatchRect(const QRect& cell) {
    return QRect(cell.left(), cell.top(), 4 + 15 + 4, cell.height());
}

void PropertyItemDelegate::chooseFile(QAbstractItemModel& model, const QModelIndex& index,
                                      QWidget* parent) {
    const FlashTemplateProperty* item = PropertyTreeModel::propertyAt(index);
    if (!item || !choosers_.openFile)
        return;
    QStringList extensions;
    for (const auto& ext :
         FlashTemplateOutlineDelegate::fileExtensions(item->valueSource().value_or("")))
        extensions << QString::fromStdString(ext);
    const QString chosen =
        choosers_.openFile(parent, QString::fromStdString(item->title()),
                           QString::fromStdString(item->value().value_or("")), extensions);
    model.setData(index, chosen, Qt::EditRole);
}

void PropertyItemDelegate::chooseColor(QAbstractItemModel& model, const QModelIndex& index,
                                       QWidget* parent) {
    const FlashTemplateProperty* item = PropertyTreeModel::propertyAt(index);
    if (!item || !choosers_.color)
        return;
    const auto chosen = choosers_.color(parent, toQColor(colorFromHexRGB(item->value())));
    if (!chosen)
        return;
    const auto text = colorToHexRGB({chosen->redF(), chosen->greenF(), chosen->blueF(), 1});
    if (text)
        model.setData(index, QString::fromStdString(*text), Qt::EditRole);
}

QWidget* PropertyItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    const FlashTemplateProperty* item = PropertyTreeModel::propertyAt(index);
    if (item && editorKind(index) == static_cast<int>(Editor::List)) {
        auto* combo = new QComboBox(parent); // owned by the view's editor machinery
        for (const auto& choice : FlashTemplateOutlineDelegate::listItems(*item))
            combo->addItem(QString::fromStdString(choice));
        // Storing the choice as soon as it is picked, as a pop-up does.
        connect(combo, &QComboBox::activated, this, [this, combo] {
            emit const_cast<PropertyItemDelegate*>(this)->commitData(combo);
            emit const_cast<PropertyItemDelegate*>(this)->closeEditor(combo);
        });
        return combo;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void PropertyItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const FlashTemplateProperty* item = PropertyTreeModel::propertyAt(index);
        combo->setCurrentIndex(item ? FlashTemplateOutlineDelegate::selectedListItem(*item) : -1);
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void PropertyItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                        const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentIndex(), PropertyTreeModel::ListIndexRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void PropertyItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    if (editorKind(index) != static_cast<int>(Editor::File)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The file name leaves room for the info button, which is drawn after it.
    QStyleOptionViewItem text = option;
    text.rect.setRight(option.rect.right() - kButtonSize - 4);
    QStyledItemDelegate::paint(painter, text, index);
    const QRect button = infoButtonRect(option.rect);
    if (button.isNull())
        return;
    QString name = option.state & QStyle::State_Selected ? "info-selected" : "info-normal";
    if (pressed_ == index)
        name += "-mouse";
    else if (hovered_ == index)
        name += "-hovered";
    appImage(name).paint(painter, button);
}

bool PropertyItemDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                       const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
    const int kind = editorKind(index);
    if (kind != static_cast<int>(Editor::File) && kind != static_cast<int>(Editor::Color))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const QRect area = kind == static_cast<int>(Editor::File) ? infoButtonRect(option.rect)
                                                              : swatchRect(option.rect);
    auto* view = qobject_cast<QAbstractItemView*>(const_cast<QWidget*>(option.widget));
    const auto repaint = [view, &index] {
        if (view)
            view->viewport()->update(view->visualRect(index));
    };
    switch (event->type()) {
    case QEvent::MouseMove: {
        const bool inside = area.contains(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (inside != (hovered_ == index)) {
            hovered_ = inside ? QPersistentModelIndex(index) : QPersistentModelIndex();
            repaint();
        }
        return false;
    }
    case QEvent::MouseButtonPress:
        if (area.contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            pressed_ = index;
            repaint();
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease: {
        const bool clicked = pressed_ == index &&
                             area.contains(static_cast<QMouseEvent*>(event)->position().toPoint());
        pressed_ = QPersistentModelIndex();
        repaint();
        if (!clicked)
            return false;
        if (kind == static_cast<int>(Editor::File))
            chooseFile(*model, index, view);
        else
            chooseColor(*model, index, view);
        return true;
    }
    default:
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
}

} // namespace zarvex::gui
