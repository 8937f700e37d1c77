#pragma once

#include "thumbcells.h"
#include "thumbsupply.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <stdexcept>

class QListWidget;

enum TThumbDisplayType { tdtLargeIcon, tdtIconInfo, tdtFilename };

// The caption cut to fit Limit pixels: ".." appended, then the character before it dropped
// while the caption is longer than 3 characters and still too wide.
QString ShortenCaption(const QString& Caption, int Limit, const std::function<int(const QString&)>& Width);

// A grid of the image files of a folder, one file per cell in reading order, each cell with
// its thumbnail and file name; cells are selected with the mouse and the keys. Keys move the
// current item as in a plain grid, or by the grid's own navigation when that is allowed.
// Whole rows scroll; there is a vertical bar only. Thumbnails are made by a few workers off
// this thread and kept in a memory cache and an optional disk cache; until a cell's thumbnail
// is there it shows its caption and an empty frame. Painting never asks or raises.
class TLmThumbGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    class EError : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };
    static constexpr int ScrollBarAllowance = 20;
    static constexpr QColor SelectedCellColor{0, 0, 128}; // navy

    // MemoryCacheSlots: the memory cache's slots, fixed for the grid's life.
    explicit TLmThumbGrid(QWidget* parent = nullptr, int MemoryCacheSlots = 100);
    ~TLmThumbGrid() override;

    // ---- Properties ----
    int MemoryCacheMaxCacheCount() const { return memoryCacheMaxCacheCount_; }
    void SetMemoryCacheMaxCacheCount(int Value);
    int DiskCacheMaxCacheCount() const { return diskCacheMaxCacheCount_; }
    void SetDiskCacheMaxCacheCount(int Value);
    QString DiskCacheDirectory() const;
    // A folder that does not exist is made; when that fails the disk cache is off ("").
    void SetDiskCacheDirectory(const QString& Value);
    QString DiskCacheSaveFormat() const;
    void SetDiskCacheSaveFormat(const QString& Value);
    bool HighlightCurrentCell() const { return highlightCurrentCell_; }
    void SetHighlightCurrentCell(bool Value);
    bool HideFileExtensions() const { return hideFileExtensions_; }
    void SetHideFileExtensions(bool Value);
    TThumbDisplayType ThumbDisplayType() const { return thumbDisplayType_; }
    void SetThumbDisplayType(TThumbDisplayType Value);
    bool MultipleSelect() const { return cells_.MultipleSelect(); }
    void SetMultipleSelect(bool Value) { cells_.SetMultipleSelect(Value); }
    bool AutoInitialSelect() const { return autoInitialSelect_; } // kept, not consulted
    void SetAutoInitialSelect(bool Value) { autoInitialSelect_ = Value; }
    bool DisableComponentKeyEventHandling() const { return disableComponentKeyEventHandling_; }
    void SetDisableComponentKeyEventHandling(bool Value) { disableComponentKeyEventHandling_ = Value; }
    int CellPadding() const { return cellPadding_; }
    void SetCellPadding(int Value);
    int ThumbnailHeight() const { return thumbnailHeight_; }
    void SetThumbnailHeight(int Value);
    int ThumbnailWidth() const { return thumbnailWidth_; }
    void SetThumbnailWidth(int Value);
    const QString& SupportedFormats() const { return supportedFormats_; }
    void SetSupportedFormats(const QString& Value);
    const QString& LoadErrorThumb() const { return loadErrorThumb_; }
    void SetLoadErrorThumb(const QString& Value);
    int FilenameTextWidth() const { return filenameTextWidth_; }
    void SetFilenameTextWidth(int Value);
    const QString& NonSupportedFormatThumb() const { return nonSupportedFormatThumb_; }
    void SetNonSupportedFormatThumb(const QString& Value);

    // ---- The grid ----
    int ColCount() const { return cells_.ColCount(); }
    void SetColCount(int Value);
    int RowCount() const { return cells_.RowCount(); }
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int Value);
    int Col() const { return cells_.Focus().col; }
    int Row() const { return cells_.Focus().row; }
    int TopRow() const;
    int VisibleRowCount() const; // whole rows
    int VisibleColCount() const;
    QString CellText(int ACol, int ARow) const { return cells_.Text({ACol, ARow}); }
    bool CellMarked(int ACol, int ARow) const { return cells_.Marked({ACol, ARow}); }
    QRect CellRect(int ACol, int ARow) const; // in the viewport
    QColor CellColor() const { return cellColor_; }
    int ItemCount() const { return cells_.ItemCount(); }
    int CurrentIndex() const { return cells_.CurrentIndex(); }
    int PreviousIndex() const { return cells_.PreviousIndex(); }
    int AnchorIndex() const { return cells_.AnchorIndex(); }
    int LastClickedIndex() const { return cells_.LastClickedIndex(); }

    // ---- Filling and selection ----
    // Source: a file list box (its folder + each name), another list widget or a string list
    // (each text as it is). Anything else raises EError before anything changes. The grid
    // reads the source again when its column count changes.
    void LoadFromFileSource(QObject* Source, bool ResetIndex, bool FireSelect);
    void LoadFromFileSource(const QStringList& Source, bool ResetIndex, bool FireSelect);
    // The selected cells' texts in reading order; the count.
    int GetSelectedFiles(QStringList& List) const;
    int GetSelectedCount() const;
    // Fits the column count to the width, keeping the selected items and the current one.
    void Relayout();
    bool SelectCell(int ACol, int ARow) const { return cells_.SelectCell({ACol, ARow}); }
    void SetCurrentIndex(int Index);
    // Positions in the viewport; (-1, -1) stands for the keyboard.
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void SelectRange(int From, int To);
    void Navigate(int Key);
    void KeyDown(int Key, Qt::KeyboardModifiers Shift);
    void KeyUp(int Key, Qt::KeyboardModifiers Shift);
    void DrawCell(QPainter& Painter, int ACol, int ARow, const QRect& ARect);

    // What the cell of an item shows now.
    ThumbSupply::Picture CellPicture(int Index) const;

    // ---- Seams for tests and the bench ----
    // Pixels per inch of the font (0: the screen's).
    void SetPixelsPerInch(int Value);
    // What the workers run to make a thumbnail (LoadThumbnail by default).
    void SetThumbnailLoader(ThumbPool::Work Loader);
    // The largest JPEG reduction (1: full size).
    void SetJpegMaxScale(int Scale);

signals:
    void mousePressed(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Position);
    void mouseMoved(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, QPoint Position);
    void mouseReleased(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Position);
    void doubleClicked();
    // After every change of the selected files, by a fill and a relayout too.
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    class SelectionNotice;
    struct Source {
        bool set = false;
        bool isList = false;
        QPointer<QListWidget> list;
        QStringList strings;
    };

    void fill(const QStringList& Texts, bool ResetIndex, bool FireSelect, bool KeepPictures);
    QStringList sourceTexts() const;
    int fontHeight() const;
    int columnWidth() const;
    int rowHeight() const;
    void recomputeWidth();
    void recomputeHeight();
    void updateBox();
    void updateScrollRange();
    void ensureFocusVisible();
    ThumbCells::Cell cellAt(int X, int Y) const;
    int lastVisibleRow() const; // partly visible included
    void wantPictures();
    void pictureUpdated(const QString& Path);
    void drawThumbnail(QPainter& Painter, const QString& Path, int Left, int Top);

    ThumbCells cells_;
    ThumbSupply supply_;
    Source source_;
    int selectionNoticeDepth_ = 0;

    int memoryCacheMaxCacheCount_ = 100;
    int diskCacheMaxCacheCount_ = 300;
    bool highlightCurrentCell_ = true;
    bool hideFileExtensions_ = false;
    TThumbDisplayType thumbDisplayType_ = tdtFilename;
    bool autoInitialSelect_ = true;
    bool disableComponentKeyEventHandling_ = true;
    int cellPadding_ = 5;
    int thumbnailHeight_ = 75;
    int thumbnailWidth_ = 90;
    QString supportedFormats_;
    QString loadErrorThumb_;
    int filenameTextWidth_ = 70;
    QString nonSupportedFormatThumb_;

    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int pixelsPerInch_ = 0;
    QColor cellColor_;
};
