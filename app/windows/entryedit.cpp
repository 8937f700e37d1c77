#include "entryedit.h"

#include "app/pages/headerfooterlist.h"

#include <QAction>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <limits>
#include <memory>

QString fittingText(const QString& inserted, qsizetype length, qsizetype selected, int limit)
{
    if (limit <= 0)
        return inserted;
    const qsizetype room = limit - (length - selected);
    if (room <= 0)
        return QString();
    if (inserted.size() <= room)
        return inserted;
    qsizetype cut = room;
    if (inserted.at(cut - 1).isHighSurrogate())
        --cut; // never half a character
    return inserted.left(cut);
}

namespace {

// A key press that puts its text into the box (not a shortcut or a control key). Return and
// Tab only type into a box of several lines.
bool typesText(const QKeyEvent* event, bool severalLines)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first.isPrint())
        return true;
    return severalLines && (first == QLatin1Char('\r') || first == QLatin1Char('\n') || first == QLatin1Char('\t'));
}

} // namespace

// ---- one-line entry boxes ----

bool isPasteAction(const QAction* action)
{
    return action->text().startsWith(QLineEdit::tr("&Paste"));
}

EntryLineEdit::EntryLineEdit(int limit, QWidget* parent)
    : QLineEdit(parent)
    , limit_(limit)
{
    setMaxLength(std::numeric_limits<int>::max()); // Qt's own limit would cut what the program sets
}

QString EntryLineEdit::fitting(const QString& inserted) const
{
    return fittingText(withoutLineBreaks(inserted), text().size(), selectedText().size(), limit_);
}

void EntryLineEdit::pasteText(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString clip = QGuiApplication::clipboard()->text(mode);
    if (clip.isEmpty() && !hasSelectedText())
        return;
    insert(fitting(clip));
}

void EntryLineEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteText();
        event->accept();
        return;
    }
    if (typesText(event, false) && !isReadOnly() && fitting(event->text()).size() < event->text().size()) {
        event->accept(); // full: the key is swallowed, as a limited edit does
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void EntryLineEdit::contextMenuEvent(QContextMenuEvent* event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions())
        if (isPasteAction(action)) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] { pasteText(); });
        }
    menu->exec(event->globalPos());
}

void EntryLineEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()
        && rect().contains(event->position().toPoint())) {
        deselect();
        pasteText(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void EntryLineEdit::dropEvent(QDropEvent* event)
{
    const QMimeData* source = event->mimeData();
    if (!source || !source->hasText()) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData fitted;
    fitted.setText(fittingText(withoutLineBreaks(source->text()), text().size(), 0, limit_));
    QDropEvent drop(event->position(), event->possibleActions(), &fitted, event->buttons(), event->modifiers());
    QLineEdit::dropEvent(&drop);
    event->setDropAction(drop.dropAction());
    event->setAccepted(drop.isAccepted());
}

void EntryLineEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        event->setCommitString(fitting(event->commitString()), event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(event);
}

// ---- several lines ----

LimitedPlainTextEdit::LimitedPlainTextEdit(int limit, QWidget* parent)
    : QPlainTextEdit(parent)
    , limit_(limit)
{
}

QString LimitedPlainTextEdit::fitting(const QString& inserted) const
{
    return fittingText(inserted, toPlainText().size(), textCursor().selectedText().size(), limit_);
}

void LimitedPlainTextEdit::keyPressEvent(QKeyEvent* event)
{
    if (typesText(event, true) && !isReadOnly() && fitting(event->text()).size() < event->text().size()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void LimitedPlainTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    insertFitting(source->text());
}

void LimitedPlainTextEdit::insertFitting(const QString& text)
{
    if (isReadOnly())
        return;
    insertPlainText(fitting(text));
    ensureCursorVisible();
}

void LimitedPlainTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        event->setCommitString(fitting(event->commitString()), event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(event);
}
