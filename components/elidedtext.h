#pragma once

#include <QLabel>
#include <QStyledItemDelegate>

#include <functional>

class QFontMetrics;
class QHelpEvent;

// A text cut at the right with "…" so that it fits the width; the text itself when it fits.
QString fitText(const QFontMetrics& metrics, const QString& text, int width);

// Answers a tooltip event over a text painted in the width: a cut text is shown whole.
// True when the tooltip was shown.
bool showWholeText(QHelpEvent* event, QWidget* widget, const QFontMetrics& metrics, const QString& text, int width);

// A one-line label whose text is cut with "…" when the label is narrower than it, and shown
// whole in a tooltip then. text() stays the whole text, and the label never widens its window.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The text as painted.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect textRect() const;
};

// Rows of a list that its window draws and names: a row whose name is cut shows it whole in
// a tooltip.
class NamedRowDelegate : public QStyledItemDelegate {
public:
    using Draw = std::function<void(QPainter& painter, int row, const QRect& rect, bool selected)>;
    using Name = std::function<QString(int row)>;

    NamedRowDelegate(Draw draw, Name name, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    Draw draw_;
    Name name_;
};
