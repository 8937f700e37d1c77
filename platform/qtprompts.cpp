#include "qtprompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace platform {

namespace {

QMessageBox::Icon toIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Error: return QMessageBox::Critical;
    case PromptIcon::Confirmation: return QMessageBox::Question;
    case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonResult {
    QMessageBox::StandardButton button;
    int result;
};

QList<ButtonResult> buttonsOf(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok: return {{QMessageBox::Ok, mrOk}};
    case PromptButtons::OkCancel: return {{QMessageBox::Ok, mrOk}, {QMessageBox::Cancel, mrCancel}};
    case PromptButtons::YesNo: return {{QMessageBox::Yes, mrYes}, {QMessageBox::No, mrNo}};
    case PromptButtons::YesNoCancel:
        return {{QMessageBox::Yes, mrYes}, {QMessageBox::No, mrNo}, {QMessageBox::Cancel, mrCancel}};
    case PromptButtons::RetryCancel: return {{QMessageBox::Retry, mrRetry}, {QMessageBox::Cancel, mrCancel}};
    case PromptButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, mrAbort}, {QMessageBox::Retry, mrRetry}, {QMessageBox::Ignore, mrIgnore}};
    }
    return {{QMessageBox::Ok, mrOk}};
}

} // namespace

QWidget* QtPromptService::parentWindow()
{
    return QApplication::activeWindow();
}

int QtPromptService::ask(const Prompt& prompt)
{
    QString caption = prompt.caption;
    if (caption.isEmpty())
        caption = applicationTitle_;
    QMessageBox box(toIcon(prompt.icon), caption, prompt.text, QMessageBox::NoButton, parentWindow());
    const QList<ButtonResult> buttons = buttonsOf(prompt.buttons);
    QMessageBox::StandardButtons set;
    for (const ButtonResult& b : buttons)
        set |= b.button;
    box.setStandardButtons(set);
    box.setDefaultButton(buttons.front().button);
    const auto pressed = QMessageBox::StandardButton(box.exec());
    for (const ButtonResult& b : buttons)
        if (b.button == pressed)
            return b.result;
    // Escape or the close box: the box's cancelling answer.
    return prompt.buttons == PromptButtons::YesNo ? mrNo : (buttons.size() == 1 ? mrOk : mrCancel);
}

std::optional<QString> QtPromptService::inputText(const QString& caption, const QString& label, const QString& initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parentWindow(), caption, label, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtPromptService::chooseOpenFile(const FileChoice& choice)
{
    const QString file = QFileDialog::getOpenFileName(parentWindow(), choice.caption, choice.folder, choice.filter);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

std::optional<QStringList> QtPromptService::chooseOpenFiles(const FileChoice& choice)
{
    const QStringList files = QFileDialog::getOpenFileNames(parentWindow(), choice.caption, choice.folder, choice.filter);
    if (files.isEmpty())
        return std::nullopt;
    return files;
}

std::optional<QString> QtPromptService::chooseSaveFile(const FileChoice& choice)
{
    const QString file = QFileDialog::getSaveFileName(parentWindow(), choice.caption, choice.folder, choice.filter);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

std::optional<unsigned> QtPromptService::chooseColor(unsigned initial)
{
    const QColor c = QColorDialog::getColor(QColor::fromRgb(initial), parentWindow());
    if (!c.isValid())
        return std::nullopt;
    return unsigned(c.rgb() & 0xFFFFFFu);
}

} // namespace platform
