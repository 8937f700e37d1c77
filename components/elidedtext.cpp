#include "elidedtext.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

QString fitText(const QFontMetrics& metrics, const QString& text, int width)
{
    return metrics.elidedText(text, Qt::ElideRight, std::max(width, 0));
}

bool showWholeText(QHelpEvent* event, QWidget* widget, const QFontMetrics& metrics, const QString& text, int width)
{
    if (fitText(metrics, text, width) == text) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), text, widget);
    return true;
}

ElidedLabel::ElidedLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    // Sized by the layout, never by the text.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QRect ElidedLabel::textRect() const
{
    QRect rect = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    if (indent() > 0)
        rect.adjust(indent(), 0, 0, 0);
    return rect;
}

QString ElidedLabel::shownText() const
{
    return fitText(fontMetrics(), text(), textRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, textRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

bool ElidedLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (!showWholeText(static_cast<QHelpEvent*>(event), this, fontMetrics(), text(), textRect().width()))
            event->ignore();
        return true;
    }
    return QLabel::event(event);
}

NamedRowDelegate::NamedRowDelegate(Draw draw, Name name, QObject* parent)
    : QStyledItemDelegate(parent)
    , draw_(std::move(draw))
    , name_(std::move(name))
{
}

void NamedRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    draw_(*painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    painter->restore();
}

bool NamedRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                 const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    return showWholeText(event, view, option.fontMetrics, name_(index.row()), option.rect.width());
}
