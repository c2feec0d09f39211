#pragma once

#include "app/FlashTemplateOutlineDelegate.h"

#include <QAbstractItemModel>

namespace zarvex {
class FlashTemplateProperty;
}

namespace zarvex::gui {

// The template's property tree for a QTreeView: column 0 is "key", column 1 is
// "value". Every question is answered by the outline delegate of the core; this
// class only translates rows and roles.
class PropertyTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The role that gives a row's editor kind (FlashTemplateOutlineDelegate::Editor).
    static constexpr int EditorRole = Qt::UserRole + 1;
    // Setting this role on a list row stores the choice at that index.
    static constexpr int ListIndexRole = Qt::UserRole + 2;

    explicit PropertyTreeModel(FlashTemplateOutlineDelegate& outline, QObject* parent = nullptr);

    // The property tree was rebuilt in place (template switch, settings import).
    void reload();
    static FlashTemplateProperty* propertyAt(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    static std::string_view columnName(int column);
    int rowOf(const FlashTemplateProperty& property) const;

    FlashTemplateOutlineDelegate& outline_;
};

} // namespace zarvex::gui
