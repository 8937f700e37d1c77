#include "colourbox.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

QColor qcolour(TColor colour)
{
    return QColor(redOf(colour), greenOf(colour), blueOf(colour));
}

// A swatch outlined in black, or one of the two text entries in black on white.
void drawEntry(QPainter& painter, const QRect& rect, int entry, TColor colour)
{
    painter.save();
    if (entry == colourbox::DefaultEntry || entry == colourbox::OtherEntry) {
        painter.fillRect(rect, Qt::white);
        painter.setPen(Qt::black);
        painter.drawText(rect.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QLatin1String(entry == colourbox::DefaultEntry ? colourbox::DefaultCaption : colourbox::OtherCaption));
    } else {
        const QRect swatch = rect.adjusted(2, 2, -3, -3);
        painter.fillRect(swatch, qcolour(colour));
        painter.setPen(Qt::black);
        painter.drawRect(swatch);
    }
    painter.restore();
}

class ColourEntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        const QRect inner = selected ? option.rect.adjusted(2, 2, -2, -2) : option.rect;
        drawEntry(*painter, inner, index.row(), Colourcode2tcolor(index.row()));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(140, 18));
    }
};

} // namespace

ColourBox::ColourBox(QWidget* parent)
    : QComboBox(parent)
{
    addItem(QLatin1String(colourbox::DefaultCaption));
    for (int entry = colourbox::FirstListEntry; entry <= colourbox::LastListEntry; ++entry)
        addItem(htmlColourText(Colourcode2tcolor(entry)));
    addItem(QLatin1String(colourbox::OtherCaption));
    setItemDelegate(new ColourEntryDelegate(this));
    setMinimumWidth(150);
}

void ColourBox::showChoice(const ColourChoice& choice)
{
    const QSignalBlocker blocker(this);
    shown_ = choice;
    setCurrentIndex(choice.entry());
    update();
}

void ColourBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int entry = shown_.IsDefault() ? colourbox::DefaultEntry : colourbox::FirstListEntry;
    drawEntry(painter, field, entry, shown_.IsColour());
}
