#pragma once
// The settings grid's editors: a list of the row's choices where the model
// offers some (SettingsTableModel::kChoicesRole), open at once and taken as
// soon as one is picked; the usual line editor elsewhere.

#include <QStyledItemDelegate>

namespace vexora::ui {

class ChoiceDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

}  // namespace vexora::ui
