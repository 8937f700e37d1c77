#include "thumbcells.h"

#include <algorithm>
#include <utility>

ThumbCells::ThumbCells() : slots_(std::size_t(colCount_) * std::size_t(rowCount_)) {}

void ThumbCells::reshape(int Cols, int Rows)
{
    std::vector<Slot> resized(std::size_t(Cols) * std::size_t(Rows));
    for (int row = 0; row < std::min(Rows, rowCount_); ++row)
        for (int col = 0; col < std::min(Cols, colCount_); ++col)
            resized[std::size_t(row) * std::size_t(Cols) + std::size_t(col)] = std::move(*slot({col, row}));
    slots_ = std::move(resized);
    colCount_ = Cols;
    rowCount_ = Rows;
    focus_ = {std::min(focus_.col, Cols - 1), std::min(focus_.row, Rows - 1)};
}

void ThumbCells::SetColCount(int Count)
{
    if (Count >= 1 && Count != colCount_)
        reshape(Count, rowCount_);
}

ThumbCells::Slot* ThumbCells::slot(Cell C)
{
    return Inside(C) ? &slots_[std::size_t(C.row) * std::size_t(colCount_) + std::size_t(C.col)] : nullptr;
}

const ThumbCells::Slot* ThumbCells::slot(Cell C) const
{
    return Inside(C) ? &slots_[std::size_t(C.row) * std::size_t(colCount_) + std::size_t(C.col)] : nullptr;
}

QString ThumbCells::Text(Cell C) const
{
    const Slot* s = slot(C);
    return s ? s->text : QString();
}

bool ThumbCells::Marked(Cell C) const
{
    const Slot* s = slot(C);
    return s && s->mark;
}

bool ThumbCells::SelectCell(Cell C) const
{
    if (busy_)
        return Inside(C);
    return currentIndex_ >= 0 && C == IndexToCell(currentIndex_);
}

void ThumbCells::moveFocus(Cell C)
{
    if (SelectCell(C))
        focus_ = C;
}

void ThumbCells::Fill(const QStringList& Texts, bool ResetIndex, bool FireSelect)
{
    BusyScope busy(*this);
    const int n = int(Texts.size());
    int newIndex = ResetIndex ? 0 : FindRefillIndex();
    ignoreNextMouseUp_ = true;
    lastClickedIndex_ = -1;
    clickedWasSelected_ = false;
    modifierSelection_ = false;
    currentIndex_ = -1;
    itemCount_ = 0;
    // At least one row: any count up to ColCount takes one.
    const int rows = n / colCount_ + (n % colCount_ != 0 && n > colCount_ ? 1 : 0);
    reshape(colCount_, std::max(1, rows));
    itemCount_ = n;
    ClearSelection(true);
    anchorIndex_ = 0;
    clickedCellEmpty_ = false;
    if (n == 0) {
        focus_ = {0, 0};
    } else {
        for (int i = 0; i < n; ++i)
            slot(IndexToCell(i))->text = Texts.at(i);
        newIndex = std::min(newIndex, n - 1);
        clickedWasSelected_ = false;
        SetCurrentIndex(newIndex); // the focus frame never stays on the old folder's cell
        anchorIndex_ = newIndex;
        lastClickedIndex_ = -1;
        ignoreNextMouseUp_ = false;
        if (FireSelect)
            MouseUp(Qt::LeftButton, Qt::NoModifier, true);
    }
    ignoreNextMouseUp_ = true;
}

int ThumbCells::FindRefillIndex() const
{
    int unmarked = 0;
    for (int i = 0; i <= currentIndex_ && i < colCount_ * rowCount_; ++i)
        if (!Marked(IndexToCell(i)))
            ++unmarked;
    return std::max(0, unmarked - 1);
}

void ThumbCells::SetCurrentIndex(int Index)
{
    if (Index < 0 || Index > itemCount_ - 1)
        return;
    if (currentIndex_ != -1)
        previousIndex_ = currentIndex_;
    currentIndex_ = Index;
    BusyScope busy(*this);
    moveFocus(IndexToCell(Index));
}

bool ThumbCells::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, std::optional<Cell> Hit)
{
    ignoreNextMouseUp_ = false;
    if (itemCount_ == 0)
        return false;
    const Cell cell = Hit.value_or(focus_);
    clickedCellEmpty_ = Text(cell).isEmpty();
    if (clickedCellEmpty_)
        return false;
    if (currentIndex_ != -1)
        previousIndex_ = currentIndex_;
    currentIndex_ = CellToIndex(cell);
    const bool keyboard = !Hit;
    const bool selected = Marked(cell);
    clickedWasSelected_ = selected;
    if (!(Shift & Qt::ShiftModifier))
        anchorIndex_ = currentIndex_;
    const bool keep = (Button == Qt::RightButton && selected)
                      || (multipleSelect_
                          && (selected || (Shift & (Qt::ShiftModifier | Qt::ControlModifier)) || keyboard));
    if (!keep)
        ClearSelection(false);
    MarkCell(cell);
    if (keyboard)
        return false;
    moveFocus(cell);
    return true;
}

bool ThumbCells::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, bool FromKeyboard)
{
    if (clickedCellEmpty_ || itemCount_ == 0 || currentIndex_ < 0)
        return false;
    const Cell cell = IndexToCell(currentIndex_);
    if (!ignoreNextMouseUp_) {
        const bool ctrl = multipleSelect_ && (Shift & Qt::ControlModifier);
        const bool shift = multipleSelect_ && (Shift & Qt::ShiftModifier);
        if (ctrl) {
            modifierSelection_ = true;
            if (FromKeyboard)
                MarkCell(cell);
            else if (clickedWasSelected_)
                UnmarkCell(cell);
        }
        if (shift) {
            if (modifierSelection_ && !(Shift & Qt::ControlModifier))
                ClearSelection(false);
            modifierSelection_ = true;
            SelectRange(anchorIndex_, currentIndex_);
        }
        if (!ctrl && !shift) {
            if (clickedWasSelected_ || FromKeyboard) {
                if (Button != Qt::RightButton)
                    ClearSelection(false);
                MarkCell(cell);
            }
            modifierSelection_ = false;
        }
        lastClickedIndex_ = currentIndex_;
    }
    moveFocus(cell);
    return !FromKeyboard;
}

void ThumbCells::SelectRange(int From, int To)
{
    if (itemCount_ == 0)
        return;
    From = std::clamp(From, 0, itemCount_ - 1);
    To = std::clamp(To, 0, itemCount_ - 1);
    for (int i = std::min(From, To); i <= std::max(From, To); ++i)
        MarkCell(IndexToCell(i));
}

bool ThumbCells::IsNavigationKey(int Key)
{
    switch (Key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

void ThumbCells::Navigate(int Key, int VisibleRows, int VisibleCols)
{
    if (itemCount_ == 0 || currentIndex_ < 0 || !IsNavigationKey(Key))
        return;
    const Cell from = IndexToCell(currentIndex_);
    const int page = std::max(0, VisibleRows - 1) * VisibleCols;
    Cell target = from;
    switch (Key) {
    case Qt::Key_PageUp:
        target = IndexToCell(std::max(0, currentIndex_ - page));
        break;
    case Qt::Key_PageDown:
        target = IndexToCell(std::min(itemCount_ - 1, currentIndex_ + page));
        break;
    case Qt::Key_End:
        target = IndexToCell(itemCount_ - 1);
        break;
    case Qt::Key_Home:
        target = IndexToCell(0);
        break;
    case Qt::Key_Left:
        target = from.col > 0 ? Cell{from.col - 1, from.row} : Cell{colCount_ - 1, from.row - 1};
        break;
    case Qt::Key_Up:
        target = {from.col, std::max(0, from.row - 1)};
        break;
    case Qt::Key_Right:
        target = from.col < colCount_ - 1 ? Cell{from.col + 1, from.row} : Cell{0, from.row + 1};
        break;
    case Qt::Key_Down:
        target = {from.col, std::min(rowCount_ - 1, from.row + 1)};
        break;
    }
    if (!Inside(target) || Text(target).isEmpty())
        return;
    SetCurrentIndex(CellToIndex(target));
    MouseDown(Qt::LeftButton, Qt::NoModifier, std::nullopt);
}

std::optional<ThumbCells::KeyMove> ThumbCells::PlainGridKey(int Key, bool Ctrl, const View& V) const
{
    if (itemCount_ == 0 || currentIndex_ < 0 || !IsNavigationKey(Key))
        return std::nullopt;
    const int lastRow = rowCount_ - 1;
    const int lastShown = std::clamp(V.topRow + V.rows - 1, 0, lastRow);
    const int pageRows = std::max(1, lastShown - V.topRow);
    const int pageCols = std::max(1, std::min(V.cols, colCount_) - 1);
    Cell to = IndexToCell(currentIndex_);
    int top = V.topRow;
    if (Ctrl) {
        switch (Key) {
        case Qt::Key_Up: --top; break;
        case Qt::Key_Down: ++top; break;
        case Qt::Key_Left: to.col -= pageCols; break;
        case Qt::Key_Right: to.col += pageCols; break;
        case Qt::Key_PageUp: to.row = V.topRow; break;
        case Qt::Key_PageDown: to.row = lastShown; break;
        case Qt::Key_Home: to = {0, 0}; break;
        case Qt::Key_End: to = {colCount_ - 1, lastRow}; break;
        }
    } else {
        switch (Key) {
        case Qt::Key_Up: --to.row; break;
        case Qt::Key_Down: ++to.row; break;
        case Qt::Key_Left: --to.col; break;
        case Qt::Key_Right: ++to.col; break;
        case Qt::Key_PageUp: to.row -= pageRows; top -= pageRows; break;
        case Qt::Key_PageDown: to.row += pageRows; top += pageRows; break;
        case Qt::Key_Home: to.col = 0; break;
        case Qt::Key_End: to.col = colCount_ - 1; break;
        }
    }
    to = {std::clamp(to.col, 0, colCount_ - 1), std::clamp(to.row, 0, lastRow)};
    // Cells past the last item stay empty and cannot be current.
    return KeyMove{std::min(CellToIndex(to), itemCount_ - 1), std::clamp(top, 0, std::max(0, rowCount_ - V.rows))};
}

void ThumbCells::MoveByKey(int Index, Qt::KeyboardModifiers Shift)
{
    SetCurrentIndex(Index);
    MouseDown(Qt::LeftButton, Shift, std::nullopt);
    MouseUp(Qt::LeftButton, Shift, true);
}

void ThumbCells::ClearSelection(bool Blank)
{
    for (Slot& s : slots_) {
        if (s.mark)
            marksChanged_ = true;
        s.mark = false;
        if (Blank)
            s.text.clear();
    }
    modifierSelection_ = true;
}

bool ThumbCells::MarkCell(Cell C)
{
    Slot* s = slot(C);
    if (!s || s->text.isEmpty())
        return false;
    if (!s->mark)
        marksChanged_ = true;
    s->mark = true;
    return true;
}

void ThumbCells::UnmarkCell(Cell C)
{
    Slot* s = slot(C);
    if (s && s->mark) {
        s->mark = false;
        marksChanged_ = true;
    }
}

int ThumbCells::GetSelectedFiles(QStringList& List) const
{
    List.clear();
    for (const Slot& s : slots_)
        if (s.mark && !s.text.isEmpty())
            List.append(s.text);
    return int(List.size());
}

int ThumbCells::GetSelectedCount() const
{
    return int(std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.mark && !s.text.isEmpty(); }));
}

QList<int> ThumbCells::SelectedIndices() const
{
    QList<int> indices;
    for (int i = 0; i < colCount_ * rowCount_; ++i)
        if (Marked(IndexToCell(i)))
            indices.append(i);
    return indices;
}

bool ThumbCells::TakeMarksChanged()
{
    return std::exchange(marksChanged_, false);
}
