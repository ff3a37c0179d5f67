// The form box: labelled text fields in one dialog, OK and Cancel.

#include "qt_platform.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

std::optional<QList<QString>> QtDialogs::form(const QString &title, const QList<FormField> &fields)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    auto *layout = new QFormLayout(&dialog);
    QList<QLineEdit *> edits;
    for (const FormField &field : fields) {
        auto *edit = new QLineEdit(field.value, &dialog);
        // Wide enough for a laboratory's name or a device path without scrolling.
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(u'0') * 36);
        layout->addRow(field.label, edit);
        edits << edit;
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QList<QString> texts;
    for (const QLineEdit *edit : edits)
        texts << edit->text();
    return texts;
}
