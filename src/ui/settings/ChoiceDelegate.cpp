#include "ui/settings/ChoiceDelegate.h"

#include <QComboBox>

#include "ui/settings/SettingsTableModel.h"

namespace vexora::ui {

QWidget* ChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    const QStringList choices = index.data(SettingsTableModel::kChoicesRole).toStringList();
    if (choices.isEmpty()) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* list = new QComboBox(parent);
    list->addItems(choices);
    // A pick is the answer: no second click to confirm it.
    connect(list, &QComboBox::activated, this, [this, list] {
        emit const_cast<ChoiceDelegate*>(this)->commitData(list);
        emit const_cast<ChoiceDelegate*>(this)->closeEditor(list);
    });
    return list;
}

void ChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* list = qobject_cast<QComboBox*>(editor);
    if (!list) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    // The value text is led by its code ("1-Imported").
    const QString code = index.data(Qt::EditRole).toString().section(QLatin1Char('-'), 0, 0).trimmed();
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i).section(QLatin1Char('-'), 0, 0) == code) list->setCurrentIndex(i);
}

void ChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* list = qobject_cast<QComboBox*>(editor)) model->setData(index, list->currentText(), Qt::EditRole);
    else QStyledItemDelegate::setModelData(editor, model, index);
}

}  // namespace vexora::ui
