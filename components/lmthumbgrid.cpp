#include "lmthumbgrid.h"

#include "filelistbox.h"
#include "thumbmaker.h"

#include "platform/paths.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

// Emits selectionChanged once when the outermost grid operation ends, if it changed the
// selected files.
class TLmThumbGrid::SelectionNotice {
public:
    explicit SelectionNotice(TLmThumbGrid& Grid) : grid_(Grid)
    {
        if (grid_.selectionNoticeDepth_++ == 0) {
            grid_.cells_.TakeMarksChanged();
            grid_.GetSelectedFiles(before_);
        }
    }
    ~SelectionNotice()
    {
        if (--grid_.selectionNoticeDepth_ > 0 || !grid_.cells_.TakeMarksChanged())
            return;
        QStringList after;
        grid_.GetSelectedFiles(after);
        if (after != before_)
            emit grid_.selectionChanged();
    }
    SelectionNotice(const SelectionNotice&) = delete;
    SelectionNotice& operator=(const SelectionNotice&) = delete;

private:
    TLmThumbGrid& grid_;
    QStringList before_;
};

namespace {

const QColor kFrameGrey{128, 128, 128};

// A line from one point up to, not including, the other (axis-parallel).
void lineTo(QPainter& painter, QPoint from, QPoint to)
{
    const QPoint step((to.x() > from.x()) - (to.x() < from.x()), (to.y() > from.y()) - (to.y() < from.y()));
    if (from != to)
        painter.drawLine(from, to - step);
}

QString withoutExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

} // namespace

QString ShortenCaption(const QString& Caption, int Limit, const std::function<int(const QString&)>& Width)
{
    if (Width(Caption) <= Limit)
        return Caption;
    QString text = Caption + QStringLiteral("..");
    while (text.size() > 3 && Width(text) > Limit)
        text.remove(text.size() - 3, 1);
    return text;
}

TLmThumbGrid::TLmThumbGrid(QWidget* parent, int MemoryCacheSlots)
    : QAbstractScrollArea(parent), supply_(MemoryCacheSlots)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    cellColor_ = palette().color(QPalette::Base);
    supply_.MemoryCache().SetMaxCacheCount(memoryCacheMaxCacheCount_);
    supply_.DiskCache().SetMaxCacheCount(diskCacheMaxCacheCount_);
    updateBox();
    recomputeWidth();
    recomputeHeight();
    connect(&supply_, &ThumbSupply::Updated, this, &TLmThumbGrid::pictureUpdated);
}

TLmThumbGrid::~TLmThumbGrid() = default;

// ---- Properties ----

void TLmThumbGrid::SetMemoryCacheMaxCacheCount(int Value)
{
    memoryCacheMaxCacheCount_ = std::clamp(Value, 0, 32767);
    supply_.MemoryCache().SetMaxCacheCount(memoryCacheMaxCacheCount_);
}

void TLmThumbGrid::SetDiskCacheMaxCacheCount(int Value)
{
    diskCacheMaxCacheCount_ = std::clamp(Value, 0, 32767);
    supply_.DiskCache().SetMaxCacheCount(diskCacheMaxCacheCount_);
}

QString TLmThumbGrid::DiskCacheDirectory() const
{
    return supply_.DiskCache().Directory();
}

void TLmThumbGrid::SetDiskCacheDirectory(const QString& Value)
{
    supply_.DiskCache().SetDirectory(Value);
}

QString TLmThumbGrid::DiskCacheSaveFormat() const
{
    return supply_.DiskCache().SaveFormat();
}

void TLmThumbGrid::SetDiskCacheSaveFormat(const QString& Value)
{
    supply_.DiskCache().SetSaveFormat(Value);
}

void TLmThumbGrid::SetHighlightCurrentCell(bool Value)
{
    highlightCurrentCell_ = Value;
    viewport()->update();
}

void TLmThumbGrid::SetHideFileExtensions(bool Value)
{
    hideFileExtensions_ = Value;
    viewport()->update();
}

void TLmThumbGrid::SetThumbDisplayType(TThumbDisplayType Value)
{
    if (Value == thumbDisplayType_)
        return;
    thumbDisplayType_ = Value;
    updateBox();
    recomputeHeight();
    recomputeWidth();
}

void TLmThumbGrid::SetCellPadding(int Value)
{
    cellPadding_ = Value;
    recomputeHeight();
    recomputeWidth();
}

void TLmThumbGrid::SetThumbnailHeight(int Value)
{
    thumbnailHeight_ = Value;
    updateBox();
    recomputeHeight();
}

void TLmThumbGrid::SetThumbnailWidth(int Value)
{
    thumbnailWidth_ = Value;
    updateBox();
    recomputeWidth();
}

void TLmThumbGrid::SetSupportedFormats(const QString& Value)
{
    supportedFormats_ = Value;
    supply_.SetSupportedFormats(Value);
    viewport()->update();
}

void TLmThumbGrid::SetLoadErrorThumb(const QString& Value)
{
    loadErrorThumb_ = Value;
    supply_.SetLoadErrorThumb(Value);
    viewport()->update();
}

void TLmThumbGrid::SetFilenameTextWidth(int Value)
{
    if (Value == filenameTextWidth_)
        return;
    filenameTextWidth_ = Value;
    recomputeWidth();
}

void TLmThumbGrid::SetNonSupportedFormatThumb(const QString& Value)
{
    nonSupportedFormatThumb_ = Value;
    supply_.SetNonSupportedFormatThumb(Value);
    viewport()->update();
}

// ---- Cell size ----

int TLmThumbGrid::fontHeight() const
{
    const QFont f = font();
    if (f.pointSizeF() <= 0)
        return f.pixelSize();
    const int ppi = pixelsPerInch_ > 0 ? pixelsPerInch_ : logicalDpiY();
    return int(std::nearbyint(f.pointSizeF() * ppi / 72.0)); // halves to even
}

int TLmThumbGrid::columnWidth() const
{
    switch (thumbDisplayType_) {
    case tdtLargeIcon:
        return 2 * cellPadding_ + 6 + thumbnailWidth_;
    case tdtIconInfo:
        return 2 * cellPadding_ + 8 + thumbnailWidth_ / 2 + filenameTextWidth_;
    case tdtFilename:
        break;
    }
    return 2 * cellPadding_ + filenameTextWidth_;
}

int TLmThumbGrid::rowHeight() const
{
    switch (thumbDisplayType_) {
    case tdtLargeIcon:
        return fontHeight() + 2 * cellPadding_ + 8 + thumbnailHeight_ + 3;
    case tdtIconInfo:
        return 2 * cellPadding_ + 6 + thumbnailHeight_ / 2;
    case tdtFilename:
        break;
    }
    return fontHeight() + 2 * cellPadding_;
}

void TLmThumbGrid::recomputeWidth()
{
    const int width = columnWidth();
    if (width != defaultColWidth_)
        SetDefaultColWidth(width);
}

void TLmThumbGrid::recomputeHeight()
{
    const int height = rowHeight();
    if (height != defaultRowHeight_)
        SetDefaultRowHeight(height);
}

void TLmThumbGrid::updateBox()
{
    supply_.SetBox(thumbnailWidth_, thumbnailHeight_, thumbDisplayType_ == tdtIconInfo);
    viewport()->update();
}

void TLmThumbGrid::SetPixelsPerInch(int Value)
{
    pixelsPerInch_ = Value;
    recomputeHeight();
}

void TLmThumbGrid::SetThumbnailLoader(ThumbPool::Work Loader)
{
    supply_.Pool().SetWork(std::move(Loader));
}

void TLmThumbGrid::SetJpegMaxScale(int Scale)
{
    supply_.SetMaxJpegScale(Scale);
    viewport()->update();
}

// ---- Geometry ----

void TLmThumbGrid::SetColCount(int Value)
{
    cells_.SetColCount(Value);
    updateScrollRange();
    viewport()->update();
}

void TLmThumbGrid::SetDefaultColWidth(int Value)
{
    defaultColWidth_ = std::max(1, Value);
    Relayout();
    viewport()->update();
}

void TLmThumbGrid::SetDefaultRowHeight(int Value)
{
    defaultRowHeight_ = std::max(1, Value);
    updateScrollRange();
    viewport()->update();
}

int TLmThumbGrid::TopRow() const
{
    return verticalScrollBar()->value();
}

int TLmThumbGrid::VisibleRowCount() const
{
    return std::max(1, viewport()->height() / defaultRowHeight_);
}

int TLmThumbGrid::VisibleColCount() const
{
    return std::clamp(viewport()->width() / defaultColWidth_, 1, ColCount());
}

int TLmThumbGrid::lastVisibleRow() const
{
    const int rows = (viewport()->height() + defaultRowHeight_ - 1) / defaultRowHeight_;
    return std::min(RowCount() - 1, TopRow() + rows - 1);
}

QRect TLmThumbGrid::CellRect(int ACol, int ARow) const
{
    return {ACol * defaultColWidth_, (ARow - TopRow()) * defaultRowHeight_, defaultColWidth_, defaultRowHeight_};
}

ThumbCells::Cell TLmThumbGrid::cellAt(int X, int Y) const
{
    if (X < 0 || Y < 0)
        return {-1, -1};
    return {X / defaultColWidth_, TopRow() + Y / defaultRowHeight_};
}

void TLmThumbGrid::updateScrollRange()
{
    QScrollBar* bar = verticalScrollBar();
    const int rows = VisibleRowCount();
    bar->setRange(0, std::max(0, RowCount() - rows));
    bar->setPageStep(rows);
    bar->setSingleStep(1);
}

void TLmThumbGrid::ensureFocusVisible()
{
    const int row = Row();
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + VisibleRowCount())
        bar->setValue(row - VisibleRowCount() + 1);
}

void TLmThumbGrid::scrollContentsBy(int, int)
{
    viewport()->update();
}

// ---- Filling ----

void TLmThumbGrid::LoadFromFileSource(QObject* Source, bool ResetIndex, bool FireSelect)
{
    auto* list = qobject_cast<QListWidget*>(Source);
    if (!list)
        throw EError("File source is not of compatible type");
    source_ = {true, true, list, {}};
    fill(sourceTexts(), ResetIndex, FireSelect, false);
}

void TLmThumbGrid::LoadFromFileSource(const QStringList& Source, bool ResetIndex, bool FireSelect)
{
    source_ = {true, false, nullptr, Source};
    fill(Source, ResetIndex, FireSelect, false);
}

QStringList TLmThumbGrid::sourceTexts() const
{
    if (!source_.isList)
        return source_.strings;
    QStringList texts;
    if (!source_.list)
        return texts; // the list is gone: nothing to show
    const auto* box = qobject_cast<const TFileListBox*>(source_.list.data());
    const QString folder = box ? platform::addTrailingSeparator(box->Directory()) : QString();
    for (int row = 0; row < source_.list->count(); ++row)
        texts.append(folder + source_.list->item(row)->text());
    return texts;
}

void TLmThumbGrid::fill(const QStringList& Texts, bool ResetIndex, bool FireSelect, bool KeepPictures)
{
    SelectionNotice notice(*this);
    if (!KeepPictures)
        supply_.Reset();
    cells_.Fill(Texts, ResetIndex, FireSelect);
    updateScrollRange();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

int TLmThumbGrid::GetSelectedFiles(QStringList& List) const
{
    return cells_.GetSelectedFiles(List);
}

int TLmThumbGrid::GetSelectedCount() const
{
    return cells_.GetSelectedCount();
}

void TLmThumbGrid::Relayout()
{
    if (cells_.Busy() || width() < 3)
        return;
    const int columns = std::max(1, (width() - ScrollBarAllowance) / defaultColWidth_);
    if (columns == ColCount())
        return;
    SelectionNotice notice(*this);
    if (!source_.set) {
        SetColCount(columns);
        return;
    }
    const int current = CurrentIndex();
    const int anchor = cells_.AnchorIndex();
    const QList<int> selected = cells_.SelectedIndices();
    cells_.SetColCount(columns);
    fill(sourceTexts(), false, false, true);
    {
        ThumbCells::BusyScope busy(cells_);
        cells_.ClearSelection(false);
        for (int index : selected)
            cells_.MarkCell(cells_.IndexToCell(index));
        cells_.SetCurrentIndex(current);
        cells_.SetAnchorIndex(anchor); // the refill set it to the current item
    }
    ensureFocusVisible();
    viewport()->update();
}

void TLmThumbGrid::SetCurrentIndex(int Index)
{
    cells_.SetCurrentIndex(Index);
    ensureFocusVisible();
    viewport()->update();
}

// ---- Mouse and keys ----

void TLmThumbGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)
{
    SelectionNotice notice(*this);
    const bool real = X > -1;
    const bool inherited = cells_.MouseDown(Button, Shift, real ? std::optional(cellAt(X, Y)) : std::nullopt);
    if (inherited) {
        setFocus(Qt::MouseFocusReason);
        emit mousePressed(Button, Shift, {X, Y});
    }
    ensureFocusVisible();
    viewport()->update();
}

void TLmThumbGrid::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)
{
    SelectionNotice notice(*this);
    if (cells_.MouseUp(Button, Shift, X <= -1))
        emit mouseReleased(Button, Shift, {X, Y});
    ensureFocusVisible();
    viewport()->update();
}

void TLmThumbGrid::SelectRange(int From, int To)
{
    SelectionNotice notice(*this);
    cells_.SelectRange(From, To);
    viewport()->update();
}

void TLmThumbGrid::Navigate(int Key)
{
    SelectionNotice notice(*this);
    cells_.Navigate(Key, VisibleRowCount(), VisibleColCount());
    ensureFocusVisible();
    viewport()->update();
}

void TLmThumbGrid::KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    if (!disableComponentKeyEventHandling_) {
        if (Key != Qt::Key_Shift && Key != Qt::Key_Control)
            Navigate(Key);
        return; // a plain grid's move after it would be refused: only the current item takes the focus
    }
    const auto move = cells_.PlainGridKey(Key, Shift & Qt::ControlModifier, {TopRow(), VisibleRowCount(), VisibleColCount()});
    if (!move)
        return;
    SelectionNotice notice(*this);
    verticalScrollBar()->setValue(move->topRow);
    if (move->index != CurrentIndex()) {
        cells_.MoveByKey(move->index, Shift & (Qt::ShiftModifier | Qt::ControlModifier));
        ensureFocusVisible(); // a scroll alone (Ctrl+Up, Ctrl+Down) may leave it out of view
    }
    viewport()->update();
}

void TLmThumbGrid::KeyUp(int Key, Qt::KeyboardModifiers Shift)
{
    if (cells_.IgnoreNextMouseUp() || disableComponentKeyEventHandling_ || !ThumbCells::IsNavigationKey(Key))
        return;
    MouseUp(Qt::LeftButton, (Shift & Qt::ShiftModifier) ? Qt::ControlModifier : Qt::NoModifier, -1, -1);
}

void TLmThumbGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    MouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TLmThumbGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    MouseUp(event->button(), event->modifiers(), at.x(), at.y());
}

void TLmThumbGrid::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->buttons(), event->modifiers(), event->position().toPoint());
}

void TLmThumbGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    emit doubleClicked();
}

void TLmThumbGrid::keyPressEvent(QKeyEvent* event)
{
    KeyDown(event->key(), event->modifiers());
    if (!ThumbCells::IsNavigationKey(event->key()))
        QAbstractScrollArea::keyPressEvent(event); // the view does not scroll by itself
}

void TLmThumbGrid::keyReleaseEvent(QKeyEvent* event)
{
    KeyUp(event->key(), event->modifiers());
    if (!ThumbCells::IsNavigationKey(event->key()))
        QAbstractScrollArea::keyReleaseEvent(event);
}

void TLmThumbGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
    updateScrollRange();
}

void TLmThumbGrid::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        recomputeHeight();
}

// ---- Painting ----

void TLmThumbGrid::wantPictures()
{
    if (thumbDisplayType_ == tdtFilename)
        return;
    QStringList visible, ahead;
    const int last = lastVisibleRow();
    const int aheadLast = std::min(RowCount() - 1, last + VisibleRowCount());
    for (int row = TopRow(); row <= aheadLast; ++row)
        for (int col = 0; col < ColCount(); ++col) {
            const QString text = cells_.Text({col, row});
            if (!text.isEmpty())
                (row <= last ? visible : ahead).append(text);
        }
    supply_.Want(visible, ahead);
}

void TLmThumbGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QColor color = palette().color(QPalette::Base);
    if (cells_.Busy() || !source_.set) {
        painter.fillRect(event->rect(), color);
        return;
    }
    try {
        wantPictures();
    } catch (...) {
        // Cells without a picture keep their placeholder; the next paint asks again.
    }
    painter.fillRect(event->rect(), color);
    for (int row = TopRow(); row <= lastVisibleRow(); ++row)
        for (int col = 0; col < ColCount(); ++col) {
            const QRect rect = CellRect(col, row);
            if (rect.intersects(event->rect()))
                DrawCell(painter, col, row, rect);
        }
}

void TLmThumbGrid::pictureUpdated(const QString& Path)
{
    for (int row = TopRow(); row <= lastVisibleRow(); ++row)
        for (int col = 0; col < ColCount(); ++col)
            if (cells_.Text({col, row}) == Path)
                viewport()->update(CellRect(col, row));
}

ThumbSupply::Picture TLmThumbGrid::CellPicture(int Index) const
{
    if (Index < 0 || Index >= ItemCount())
        return ThumbSupply::Picture::Placeholder;
    return supply_.Show(cells_.Text(cells_.IndexToCell(Index))).picture;
}

void TLmThumbGrid::DrawCell(QPainter& Painter, int ACol, int ARow, const QRect& ARect)
{
    if (cells_.Busy() || !source_.set)
        return;
    const ThumbCells::Cell cell{ACol, ARow};
    Painter.fillRect(ARect, palette().color(QPalette::Base));
    const QString text = cells_.Text(cell);
    if (text.isEmpty())
        return;
    // The inner rectangle, right and bottom exclusive.
    const int left = ARect.left() + cellPadding_;
    const int top = ARect.top() + cellPadding_;
    const int right = ARect.left() + ARect.width() - cellPadding_;
    const int bottom = ARect.top() + ARect.height() - cellPadding_;
    const bool current = highlightCurrentCell_ && cell == cells_.Focus();
    const bool marked = cells_.Marked(cell);
    if (current) {
        const QRect frame(left - 1, top - 1, right - left + 2, bottom - top + 2);
        Painter.fillRect(frame, Qt::black);
        Painter.setPen(QPen(Qt::yellow, 1, Qt::DotLine));
        Painter.setBrush(Qt::NoBrush);
        Painter.drawRect(frame.adjusted(0, 0, -1, -1));
    }
    Painter.fillRect(QRect(left, top, right - left, bottom - top), marked ? SelectedCellColor : cellColor_);
    const QColor textColor = palette().color(marked ? QPalette::HighlightedText : QPalette::Text);
    if (!current && (marked || thumbDisplayType_ == tdtIconInfo)) {
        const QColor first = marked ? QColor(Qt::black) : QColor(239, 239, 239);
        const QColor second = marked ? QColor(222, 222, 222) : QColor(153, 153, 153);
        Painter.setPen(first);
        lineTo(Painter, {left - 1, bottom}, {left - 1, top - 1});
        lineTo(Painter, {left - 1, top - 1}, {right, top - 1});
        Painter.setPen(second);
        lineTo(Painter, {right, top - 1}, {right, bottom});
        lineTo(Painter, {right, bottom}, {left - 2, bottom});
    }

    QString name = platform::extractFileName(text);
    if (hideFileExtensions_)
        name = withoutExtension(name);
    const QFontMetrics metrics(font());
    const int limit = thumbDisplayType_ == tdtIconInfo ? filenameTextWidth_ : right - left - 6;
    const QString caption = ShortenCaption(name, limit, [&metrics](const QString& s) { return metrics.horizontalAdvance(s); });
    Painter.setPen(textColor);
    if (thumbDisplayType_ == tdtLargeIcon) {
        const int y = bottom - (metrics.height() + 3);
        const int x = std::max(left + 3, left + int(RoundHalfEven(right - left - metrics.horizontalAdvance(caption), 2)));
        Painter.drawText(QPoint(x, y + metrics.ascent()), caption);
    } else if (thumbDisplayType_ == tdtFilename) {
        Painter.drawText(QPoint(left, top + metrics.ascent()), caption);
    }
    if (thumbDisplayType_ != tdtFilename)
        drawThumbnail(Painter, text, left + 2, top + 2);
}

void TLmThumbGrid::drawThumbnail(QPainter& Painter, const QString& Path, int Left, int Top)
{
    const bool half = thumbDisplayType_ == tdtIconInfo;
    const int boxWidth = half ? thumbnailWidth_ / 2 : thumbnailWidth_;
    const int boxHeight = half ? thumbnailHeight_ / 2 : thumbnailHeight_;
    const ThumbSupply::View view = supply_.Show(Path);
    const std::optional<QRect> d = view.image.isNull()
                                       ? std::nullopt
                                       : FitThumbnailRect(view.image.width(), view.image.height(), boxWidth, boxHeight,
                                                          Left, Top);
    if (!d) { // the placeholder: an empty frame
        Painter.setPen(kFrameGrey);
        Painter.setBrush(Qt::NoBrush);
        Painter.drawRect(QRect(Left, Top, boxWidth, boxHeight).adjusted(0, 0, -1, -1));
        return;
    }
    if (half) {
        Painter.setRenderHint(QPainter::SmoothPixmapTransform);
        Painter.drawImage(*d, view.image);
    } else {
        Painter.drawImage(d->topLeft(), view.image);
    }
    if (view.picture == ThumbSupply::Picture::LoadError || d->height() < 1)
        return;
    // The shadow, right and bottom.
    const int dRight = d->left() + d->width();
    const int dBottom = d->top() + d->height();
    Painter.setPen(QPen(kFrameGrey, 2));
    const QPoint shadow[] = {{d->left() + 2, dBottom + 1}, {dRight + 1, dBottom + 1}, {dRight + 1, d->top() + 2}};
    Painter.drawPolyline(shadow, 3);
    Painter.setPen(QPen(kFrameGrey, 1));
    Painter.drawPoint(d->left() + 2, dBottom);
}
