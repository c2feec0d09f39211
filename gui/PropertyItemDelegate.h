#pragma once

#include "Choosers.h"

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

namespace zarvex::gui {

// Draws and edits the "value" cells of the property tree by the property's
// editor kind: a pop-up list, a colour swatch that opens the colour chooser, a
// file name with an info button that opens the file chooser; text otherwise.
// Check boxes are the model's check state.
class PropertyItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit PropertyItemDelegate(Choosers choosers, QObject* parent = nullptr);

    // The file chooser of a file row, filtered by its extensions: a confirmed
    // choice stores the path, a cancel empties the value.
    void chooseFile(QAbstractItemModel& model, const QModelIndex& index, QWidget* parent);
    // The colour chooser of a colour row: a confirmed colour is stored as
    // "0x" and six lower-case hex digits; a cancel changes nothing.
    void chooseColor(QAbstractItemModel& model, const QModelIndex& index, QWidget* parent);

    // The clickable areas in a cell's rectangle; the info button is empty when
    // it would reach past the cell.
    static QRect infoButtonRect(const QRect& cell);
    static QRect swatchRect(const QRect& cell);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    static int editorKind(const QModelIndex& index);

    Choosers choosers_;
    QPersistentModelIndex hovered_;
    QPersistentModelIndex pressed_;
};

} // namespace zarvex::gui
