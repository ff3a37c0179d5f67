// The form box (labelled text fields) and the choice box (a tick box for
// each choice), each with OK and Cancel.

#include "qt_platform.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

std::optional<QList<bool>> QtDialogs::choose(const QString &text, const QList<Choice> &choices,
                                             MessageButtons buttons, const QString &title)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(QString(text).replace(u'\r', u'\n'), &dialog);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    QList<QCheckBox *> boxes;
    for (const Choice &choice : choices) {
        auto *box = new QCheckBox(choice.text, &dialog);
        box->setChecked(choice.ticked);
        layout->addWidget(box);
        boxes << box;
    }
    auto *buttonBox
        = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    // Enter answers the default: Cancel where agreeing would store something
    // doubtful.
    const bool safe = buttons == MessageButtons::OkCancelSafe;
    buttonBox->button(QDialogButtonBox::Ok)->setAutoDefault(!safe);
    buttonBox->button(QDialogButtonBox::Ok)->setDefault(!safe);
    buttonBox->button(QDialogButtonBox::Cancel)->setAutoDefault(safe);
    buttonBox->button(QDialogButtonBox::Cancel)->setDefault(safe);
    QObject::connect(buttonBox, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttonBox, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttonBox);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QList<bool> ticks;
    for (const QCheckBox *box : boxes)
        ticks << box->isChecked();
    return ticks;
}
