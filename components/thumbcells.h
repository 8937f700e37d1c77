#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

#include <optional>
#include <vector>

// The cells of the thumbnail grid and their selection, without widgets. Item i of a fill
// lives in cell (i mod ColCount, i div ColCount); a cell holds a text (the file's full path)
// and a mark (selected). The focus cell moves only to the cell of the current item, except
// during the grid's own updates (Busy). The mouse and key routines take cells, not pixels.
class ThumbCells {
public:
    struct Cell {
        int col = 0;
        int row = 0;
        friend bool operator==(const Cell&, const Cell&) = default;
    };

    ThumbCells();

    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }
    // Reshapes the grid, keeping each cell's text and mark where the cell remains.
    void SetColCount(int Count);
    int ItemCount() const { return itemCount_; }

    bool Inside(Cell C) const { return C.col >= 0 && C.row >= 0 && C.col < colCount_ && C.row < rowCount_; }
    Cell IndexToCell(int Index) const { return {Index % colCount_, Index / colCount_}; }
    int CellToIndex(Cell C) const { return C.row * colCount_ + C.col; }
    QString Text(Cell C) const;
    bool Marked(Cell C) const;

    Cell Focus() const { return focus_; }
    // Whether the focus cell may move there: while Busy any cell of the grid, else only the
    // current item's.
    bool SelectCell(Cell C) const;
    bool Busy() const { return busy_; }

    int CurrentIndex() const { return currentIndex_; }
    int PreviousIndex() const { return previousIndex_; }
    int AnchorIndex() const { return anchorIndex_; }
    // Where the next Shift selection starts; a relayout keeps it across its refill.
    void SetAnchorIndex(int Index) { anchorIndex_ = Index; }
    int LastClickedIndex() const { return lastClickedIndex_; }
    bool IgnoreNextMouseUp() const { return ignoreNextMouseUp_; }
    bool ClickedCellEmpty() const { return clickedCellEmpty_; }
    bool MultipleSelect() const { return multipleSelect_; }
    void SetMultipleSelect(bool Value) { multipleSelect_ = Value; }

    // Puts the texts into the cells in reading order, every mark cleared. The new current
    // item is 0 with ResetIndex, else the one FindRefillIndex gives (within the new items);
    // FireSelect selects it.
    void Fill(const QStringList& Texts, bool ResetIndex, bool FireSelect);
    // Unmarked cells in reading order up to the current item's, less one (at least 0).
    int FindRefillIndex() const;
    void SetCurrentIndex(int Index);

    // Hit: the cell under a real position (perhaps outside the grid); none for the keyboard,
    // which takes the focus cell. True when the grid's own handling of a real click follows.
    bool MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, std::optional<Cell> Hit);
    bool MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, bool FromKeyboard);
    void SelectRange(int From, int To);
    // Moves the current item by a navigation key; other keys do nothing.
    void Navigate(int Key, int VisibleRows, int VisibleCols);
    static bool IsNavigationKey(int Key);

    // The part of the grid on screen: its first row, and the whole rows and columns shown.
    struct View {
        int topRow = 0;
        int rows = 1;
        int cols = 1;
    };
    // Where a plain grid's navigation key takes the current item and the top row.
    struct KeyMove {
        int index;
        int topRow;
    };
    // A plain grid's keys: the arrows one cell without wrapping, Home and End the ends of the
    // row, Page Up and Page Down a page of rows, scrolling with it. With Ctrl: Home and End
    // the first and last cells, Page Up and Page Down the top and bottom whole rows shown,
    // Left and Right a page of columns, Up and Down scroll a row and keep the current item.
    // A cell past the last item gives the last item. None for other keys or an empty grid.
    std::optional<KeyMove> PlainGridKey(int Key, bool Ctrl, const View& V) const;
    // Makes Index the current item and selects as a click on it with the same Shift and Ctrl
    // would, except that Ctrl adds without toggling (the keyboard's rule).
    void MoveByKey(int Index, Qt::KeyboardModifiers Shift);

    void ClearSelection(bool Blank);
    bool MarkCell(Cell C);
    void UnmarkCell(Cell C);
    int GetSelectedFiles(QStringList& List) const;
    int GetSelectedCount() const;
    QList<int> SelectedIndices() const;
    // Whether any mark changed since the last call.
    bool TakeMarksChanged();

    // Sets Busy for a scope: the grid's own updates.
    class BusyScope {
    public:
        explicit BusyScope(ThumbCells& Cells) : cells_(Cells), was_(Cells.busy_) { cells_.busy_ = true; }
        ~BusyScope() { cells_.busy_ = was_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        ThumbCells& cells_;
        bool was_;
    };

private:
    struct Slot {
        QString text;
        bool mark = false;
    };
    Slot* slot(Cell C);
    const Slot* slot(Cell C) const;
    void reshape(int Cols, int Rows);
    void moveFocus(Cell C);

    int colCount_ = 5;
    int rowCount_ = 5;
    std::vector<Slot> slots_;
    int itemCount_ = 0;
    Cell focus_;
    int currentIndex_ = -1;
    int previousIndex_ = -1;
    int anchorIndex_ = 0;
    int lastClickedIndex_ = -1;
    bool busy_ = false;
    bool ignoreNextMouseUp_ = true;
    bool clickedCellEmpty_ = false;
    bool clickedWasSelected_ = false;
    bool modifierSelection_ = false;
    bool multipleSelect_ = true;
    bool marksChanged_ = false;
};
