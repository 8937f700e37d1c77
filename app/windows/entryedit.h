#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>

// The part of an inserted text that fits when a box of length characters, selected of them
// about to be replaced, may grow to limit characters by typing or pasting (0: no limit).
// Text set by the program is never cut: a box may hold more than its limit.
QString fittingText(const QString& inserted, qsizetype length, qsizetype selected, int limit);

// The paste item of a line edit's standard context menu.
bool isPasteAction(const QAction* action);

// A one-line box of a header or footer entry: line breaks typed, pasted or dropped in become
// "|", and typing and pasting stop at the limit.
class EntryLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit EntryLineEdit(int limit = 0, QWidget* parent = nullptr);

    int typingLimit() const { return limit_; }
    // The clipboard's text as a paste puts it in.
    void pasteText(QClipboard::Mode mode = QClipboard::Clipboard);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QString fitting(const QString& inserted) const;

    int limit_;
};

// A plain-text box of several lines whose typing and pasting stop at the limit.
class LimitedPlainTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LimitedPlainTextEdit(int limit, QWidget* parent = nullptr);

    int typingLimit() const { return limit_; }
    // What fits of text put in at the caret, as a paste puts it in; nothing while read-only.
    void insertFitting(const QString& text);
    // The text keeps this far from the left and right edges.
    void setSideMargins(int pixels) { setViewportMargins(pixels, 0, pixels, 0); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QString fitting(const QString& inserted) const;

    int limit_;
};
