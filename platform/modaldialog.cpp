#include "modaldialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

namespace platform {

ModalDialog::ModalDialog(QWidget* parent)
    : QDialog(parent)
{
    setResult(mrNone);
}

void ModalDialog::bindResult(QAbstractButton* button, int result)
{
    connect(button, &QAbstractButton::clicked, this, [this, result] { setModalResult(result); });
}

void ModalDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        if (button->window() == this && button->isVisible() && button->isEnabled()
            && button->property("Cancel").toBool()) {
            button->click();
            return;
        }
    reject();
}

void ModalDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (isVisible() && (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::FontChange))
        fitCaption();
}

void ModalDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    fitCaption();
}

void ModalDialog::fitCaption()
{
    // Room for the title bar's icon and its buttons beside the caption. Widened, not given a
    // minimum: an explicit minimum would override the one its layout keeps.
    constexpr int titleBarAllowance = 160;
    const int wanted = std::min(fontMetrics().horizontalAdvance(windowTitle()) + titleBarAllowance, maximumWidth());
    if (width() < wanted)
        resize(wanted, height());
}

ButtonRow makeButtonRow(QWidget* parent, const QStringList& captions, bool firstIsDefault)
{
    ButtonRow row{new QHBoxLayout, {}};
    row.layout->addStretch();
    for (const QString& caption : captions) {
        auto* button = new QPushButton(caption, parent);
        row.layout->addWidget(button);
        row.buttons.append(button);
    }
    if (firstIsDefault && !row.buttons.isEmpty())
        row.buttons.front()->setDefault(true);
    return row;
}

int DialogRunner::showModal(QDialog& dialog)
{
    dialog.setResult(mrNone);
    return dialog.exec();
}

} // namespace platform
