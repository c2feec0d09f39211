#include "PropertyTreeModel.h"

#include "publish/ColorText.h"
#include "templates/FlashTemplateProperty.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>

namespace zarvex::gui {

using Editor = FlashTemplateOutlineDelegate::Editor;

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QPixmap swatch(const FlashTemplateProperty& property) {
    const RgbColor rgb = colorFromHexRGB(property.value());
    QPixmap pixmap(15, 15);
    pixmap.fill(Qt::gray);
    QPixmap inner(13, 13);
    inner.fill(QColor::fromRgbF(rgb.red, rgb.green, rgb.blue));
    QPainter painter(&pixmap);
    painter.drawPixmap(1, 1, inner);
    return pixmap;
}

} // namespace

PropertyTreeModel::PropertyTreeModel(FlashTemplateOutlineDelegate& outline, QObject* parent)
    : QAbstractItemModel(parent), outline_(outline) {}

void PropertyTreeModel::reload() {
    beginResetModel();
    endResetModel();
}

FlashTemplateProperty* PropertyTreeModel::propertyAt(const QModelIndex& index) {
    return index.isValid() ? static_cast<FlashTemplateProperty*>(index.internalPointer()) : nullptr;
}

std::string_view PropertyTreeModel::columnName(int column) {
    return column == 0 ? FlashTemplateOutlineDelegate::kKeyColumn
                       : FlashTemplateOutlineDelegate::kValueColumn;
}

int PropertyTreeModel::rowOf(const FlashTemplateProperty& property) const {
    const FlashTemplateProperty* parent = property.parent();
    const std::size_t count = outline_.numberOfChildren(parent);
    for (std::size_t i = 0; i < count; ++i)
        if (outline_.child(i, parent) == &property)
            return static_cast<int>(i);
    return -1;
}

QModelIndex PropertyTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column > 1)
        return {};
    FlashTemplateProperty* item = outline_.child(static_cast<std::size_t>(row), propertyAt(parent));
    return item ? createIndex(row, column, item) : QModelIndex();
}

QModelIndex PropertyTreeModel::parent(const QModelIndex& child) const {
    const FlashTemplateProperty* item = propertyAt(child);
    FlashTemplateProperty* parent = item ? item->parent() : nullptr;
    if (!parent)
        return {};
    const int row = rowOf(*parent);
    return row < 0 ? QModelIndex() : createIndex(row, 0, parent);
}

int PropertyTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return static_cast<int>(outline_.numberOfChildren(propertyAt(parent)));
}

int PropertyTreeModel::columnCount(const QModelIndex&) const {
    return 2;
}

bool PropertyTreeModel::hasChildren(const QModelIndex& parent) const {
    const FlashTemplateProperty* item = propertyAt(parent);
    if (!item)
        return outline_.numberOfChildren(nullptr) > 0;
    return parent.column() == 0 && FlashTemplateOutlineDelegate::isItemExpandable(*item);
}

QVariant PropertyTreeModel::data(const QModelIndex& index, int role) const {
    const FlashTemplateProperty* item = propertyAt(index);
    if (!item)
        return {};
    const bool valueColumn = index.column() == 1;
    const Editor editor = FlashTemplateOutlineDelegate::editorFor(*item);
    switch (role) {
    case Qt::DisplayRole:
        if (valueColumn && editor == Editor::CheckBox)
            return qs(item->aTitle().value_or(""));
        return qs(FlashTemplateOutlineDelegate::objectValue(*item, columnName(index.column())));
    case Qt::EditRole:
        return valueColumn ? qs(item->value().value_or("")) : QVariant();
    case Qt::CheckStateRole:
        if (valueColumn && editor == Editor::CheckBox)
            return item->valueAsBool() ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::DecorationRole:
        if (valueColumn && item->propertyType() == pt_color)
            return swatch(*item);
        return {};
    case Qt::ToolTipRole:
        return item->desc() ? qs(*item->desc()) : QVariant();
    case EditorRole:
        return static_cast<int>(editor);
    default:
        return {};
    }
}

bool PropertyTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    FlashTemplateProperty* item = propertyAt(index);
    if (!item)
        return false;
    const std::string_view column = columnName(index.column());
    bool changed = false;
    if (role == Qt::CheckStateRole)
        changed = outline_.setChecked(*item, column, value.toInt() == Qt::Checked);
    else if (role == ListIndexRole)
        changed = outline_.setListIndex(*item, column, value.toInt());
    else if (role == Qt::EditRole)
        changed = outline_.setText(*item, column, value.toString().toStdString());
    if (changed)
        emit dataChanged(index, index);
    return changed;
}

Qt::ItemFlags PropertyTreeModel::flags(const QModelIndex& index) const {
    const FlashTemplateProperty* item = propertyAt(index);
    if (!item)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() != 1)
        return flags;
    switch (FlashTemplateOutlineDelegate::editorFor(*item)) {
    case Editor::ReadOnly:
        return flags;
    case Editor::CheckBox:
        return flags | Qt::ItemIsUserCheckable;
    default:
        return flags | Qt::ItemIsEditable;
    }
}

QVariant PropertyTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? tr("Property") : tr("Value");
}

} // namespace zarvex::gui
