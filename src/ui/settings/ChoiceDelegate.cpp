#include "ui/settings/ChoiceDelegate.h"

#include <QComboBox>
#include <QTimer>

#include "ui/settings/SettingsTableModel.h"

namespace vexora::ui {

namespace {

// A choice's text is led by its code ("1-Imported", "2-Imported(m.vwer)").
QString codeOf(const QString& choice) { return choice.section(QLatin1Char('-'), 0, 0).trimmed(); }

}  // namespace

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
    // The list opens with the click that made the editor.
    QTimer::singleShot(0, list, &QComboBox::showPopup);
    return list;
}

void ChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* list = qobject_cast<QComboBox*>(editor);
    if (!list) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QString code = codeOf(index.data(Qt::EditRole).toString());
    for (int i = 0; i < list->count(); ++i)
        if (codeOf(list->itemText(i)) == code) list->setCurrentIndex(i);
}

void ChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        // The current choice picked again changes nothing.
        if (codeOf(list->currentText()) != codeOf(index.data(Qt::EditRole).toString()))
            model->setData(index, list->currentText(), Qt::EditRole);
    }
    else QStyledItemDelegate::setModelData(editor, model, index);
}

}  // namespace vexora::ui
