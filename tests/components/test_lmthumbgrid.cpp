#include "components/filelistbox.h"
#include "components/lmthumbgrid.h"

#include "fakes.h"
#include "fixtures.h"
#include "imaging/pglibrary.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "tempfolder.h"

#include <QBuffer>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace {

using Picture = ThumbSupply::Picture;

class ThumbGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitPGraphic();
        PixelGraphicPrompts = &prompts;
    }
    void TearDown() override
    {
        PixelGraphicPrompts = nullptr;
        DonePGraphic();
    }
    platform::ScriptedPromptService prompts;
};

// A grid at 8 pt and 96 pixels per inch, file names only (80 x 21 cells), Columns wide.
std::unique_ptr<TLmThumbGrid> namesGrid(int columns)
{
    auto grid = std::make_unique<TLmThumbGrid>();
    QFont font = grid->font();
    font.setPointSize(8);
    grid->setFont(font);
    grid->SetPixelsPerInch(96);
    grid->resize(TLmThumbGrid::ScrollBarAllowance + columns * 80, 300);
    grid->show(); // offscreen; a shown grid lays itself out as it is resized
    return grid;
}

QStringList paths(int count, const QString& folder = "/f/")
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << folder + QString::number(i) + ".jpg";
    return list;
}

QList<int> selected(const TLmThumbGrid& grid)
{
    QList<int> indices;
    for (int i = 0; i < grid.ColCount() * grid.RowCount(); ++i)
        if (grid.CellMarked(i % grid.ColCount(), i / grid.ColCount()))
            indices << i;
    return indices;
}

QPoint centre(const TLmThumbGrid& grid, int index)
{
    return grid.CellRect(index % grid.ColCount(), index / grid.ColCount()).center();
}

// ---- Sizes and defaults ----

TEST_F(ThumbGrid, ConstructionValuesAndCellSizes)
{
    auto grid = namesGrid(3);
    EXPECT_EQ(grid->MemoryCacheMaxCacheCount(), 100);
    EXPECT_EQ(grid->DiskCacheMaxCacheCount(), 300);
    EXPECT_EQ(grid->DiskCacheDirectory(), "");
    EXPECT_EQ(grid->DiskCacheSaveFormat(), ".jpg");
    EXPECT_TRUE(grid->HighlightCurrentCell());
    EXPECT_FALSE(grid->HideFileExtensions());
    EXPECT_EQ(grid->ThumbDisplayType(), tdtFilename);
    EXPECT_TRUE(grid->MultipleSelect());
    EXPECT_TRUE(grid->AutoInitialSelect());
    EXPECT_TRUE(grid->DisableComponentKeyEventHandling());
    EXPECT_EQ(grid->CellPadding(), 5);
    EXPECT_EQ(grid->ThumbnailHeight(), 75);
    EXPECT_EQ(grid->ThumbnailWidth(), 90);
    EXPECT_EQ(grid->SupportedFormats(), "");
    EXPECT_EQ(grid->LoadErrorThumb(), "");
    EXPECT_EQ(grid->FilenameTextWidth(), 70);
    EXPECT_EQ(grid->NonSupportedFormatThumb(), "");
    EXPECT_EQ(grid->CellColor(), grid->palette().color(QPalette::Base));
    EXPECT_EQ(TLmThumbGrid::SelectedCellColor, QColor(0, 0, 128));
    EXPECT_EQ(grid->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    // The font is 8 x 96 / 72 = 10.67, rounded to 11 pixels.
    const struct { TThumbDisplayType type; int width, height; } sizes[] = {
        {tdtFilename, 80, 21}, {tdtLargeIcon, 106, 107}, {tdtIconInfo, 133, 53}};
    for (const auto& s : sizes) {
        grid->SetThumbDisplayType(s.type);
        EXPECT_EQ(QSize(grid->DefaultColWidth(), grid->DefaultRowHeight()), QSize(s.width, s.height)) << s.type;
    }
    // The thumbnail width is stored even where it does not change the column width.
    grid->SetThumbDisplayType(tdtFilename);
    grid->SetThumbnailWidth(100);
    EXPECT_EQ(grid->ThumbnailWidth(), 100);
    EXPECT_EQ(grid->DefaultColWidth(), 80);
    grid->SetThumbDisplayType(tdtLargeIcon);
    EXPECT_EQ(grid->DefaultColWidth(), 116);
}

TEST_F(ThumbGrid, LongCaptionsAreCut)
{
    const auto width = [](const QString& s) { return int(s.size()) * 7; };
    const struct { const char* caption; int limit; const char* shown; } cases[] = {
        {"abcdefghij", 70, "abcdefghij"},
        {"abcdefghij", 69, "abcdefg.."},
        {"abcdefghij", 50, "abcde.."},
        {"abcdefghij", 10, "a.."}, // at least 3 characters
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortenCaption(c.caption, c.limit, width), c.shown) << c.limit;
}

// ---- Filling and selection ----

struct Step {
    enum Kind { Click, Down, Up } kind;
    int index; // -1: below the last row
    Qt::KeyboardModifiers shift = Qt::NoModifier;
    Qt::MouseButton button = Qt::LeftButton;
    QList<int> expected;
};

TEST_F(ThumbGrid, SelectionByMouse)
{
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const struct { const char* name; bool multiple; std::vector<Step> steps; } cases[] = {
        {"a mouse-up without a mouse-down after the fill", true, {{Step::Up, 4, {}, Qt::LeftButton, {0}}}},
        {"plain click", true, {{Step::Click, 4, {}, Qt::LeftButton, {4}}}},
        {"ctrl adds and toggles", true,
         {{Step::Click, 1, ctrl, Qt::LeftButton, {0, 1}}, {Step::Click, 3, ctrl, Qt::LeftButton, {0, 1, 3}},
          {Step::Click, 1, ctrl, Qt::LeftButton, {0, 3}}}},
        {"a selected cell keeps the selection until the mouse-up", true,
         {{Step::Click, 2, ctrl, Qt::LeftButton, {0, 2}}, {Step::Down, 2, {}, Qt::LeftButton, {0, 2}},
          {Step::Up, 2, {}, Qt::LeftButton, {2}}}},
        {"the right button keeps a selection", true,
         {{Step::Click, 2, ctrl, Qt::LeftButton, {0, 2}}, {Step::Click, 2, {}, Qt::RightButton, {0, 2}},
          {Step::Click, 5, {}, Qt::RightButton, {5}}}},
        {"shift selects from the anchor", true,
         {{Step::Click, 1, {}, Qt::LeftButton, {1}}, {Step::Click, 5, shift, Qt::LeftButton, {1, 2, 3, 4, 5}},
          {Step::Click, 3, shift, Qt::LeftButton, {1, 2, 3}}}},
        {"shift after ctrl replaces the selection", true,
         {{Step::Click, 1, {}, Qt::LeftButton, {1}}, {Step::Click, 5, ctrl, Qt::LeftButton, {1, 5}},
          {Step::Click, 3, shift, Qt::LeftButton, {3, 4, 5}}}},
        {"ctrl and shift add the range", true,
         {{Step::Click, 6, {}, Qt::LeftButton, {6}}, {Step::Click, 0, ctrl, Qt::LeftButton, {0, 6}},
          {Step::Click, 2, ctrl | shift, Qt::LeftButton, {0, 1, 2, 6}}}},
        {"empty cells and space below", true,
         {{Step::Click, 7, {}, Qt::LeftButton, {0}}, {Step::Click, -1, {}, Qt::LeftButton, {0}},
          {Step::Click, 8, shift, Qt::LeftButton, {0}}}},
        {"single selection ignores ctrl and shift", false,
         {{Step::Click, 2, ctrl, Qt::LeftButton, {2}}, {Step::Click, 4, shift, Qt::LeftButton, {4}}}},
    };
    for (const auto& c : cases) {
        auto grid = namesGrid(3);
        grid->SetMultipleSelect(c.multiple);
        grid->LoadFromFileSource(paths(7), true, true);
        ASSERT_EQ(grid->ColCount(), 3);
        ASSERT_EQ(grid->RowCount(), 3);
        EXPECT_EQ(selected(*grid), QList<int>{0}) << c.name;
        for (const Step& step : c.steps) {
            const QPoint at = step.index < 0 ? grid->CellRect(0, 3).center() : centre(*grid, step.index);
            if (step.kind != Step::Up)
                grid->MouseDown(step.button, step.shift, at.x(), at.y());
            if (step.kind != Step::Down)
                grid->MouseUp(step.button, step.shift, at.x(), at.y());
            EXPECT_EQ(selected(*grid), step.expected) << c.name << ", step at " << step.index;
        }
    }
}

TEST_F(ThumbGrid, AFillStartsTheSelectionAfresh)
{
    auto grid = namesGrid(3);
    QSignalSpy changes(grid.get(), &TLmThumbGrid::selectionChanged);
    grid->LoadFromFileSource(QStringList(), true, true);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->ItemCount(), 0);
    grid->MouseDown(Qt::LeftButton, Qt::NoModifier, 5, 5);
    grid->MouseUp(Qt::LeftButton, Qt::NoModifier, 5, 5);
    EXPECT_EQ(grid->GetSelectedCount(), 0);
    EXPECT_EQ(changes.size(), 0);

    grid->LoadFromFileSource(paths(2), true, true);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(changes.size(), 1);
    // A click on an empty cell, then a new fill: its first item is selected all the same.
    const QPoint empty = centre(*grid, 2);
    grid->MouseDown(Qt::LeftButton, Qt::NoModifier, empty.x(), empty.y());
    grid->LoadFromFileSource(paths(7, "/h/"), true, true);
    EXPECT_EQ(selected(*grid), QList<int>{0});
    EXPECT_EQ(changes.size(), 2);

    // The anchor follows the fill, and ranges stay within the items.
    QPoint at = centre(*grid, 6);
    grid->MouseDown(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
    grid->MouseUp(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
    grid->LoadFromFileSource(paths(3, "/g/"), true, true);
    EXPECT_EQ(grid->AnchorIndex(), 0);
    at = centre(*grid, 1);
    grid->MouseDown(Qt::LeftButton, Qt::ShiftModifier, at.x(), at.y());
    grid->MouseUp(Qt::LeftButton, Qt::ShiftModifier, at.x(), at.y());
    QStringList files;
    EXPECT_EQ(grid->GetSelectedFiles(files), 2);
    EXPECT_EQ(files, QStringList({"/g/0.jpg", "/g/1.jpg"}));
    grid->SelectRange(-5, 99);
    EXPECT_EQ(grid->GetSelectedCount(), 3);
    EXPECT_EQ(changes.size(), 6);
}

TEST_F(ThumbGrid, ANarrowerGridKeepsTheSelectedFilesAndTheCurrentOne)
{
    auto grid = namesGrid(3);
    grid->LoadFromFileSource(paths(7), true, true);
    for (int index : {2, 5}) {
        const QPoint at = centre(*grid, index);
        grid->MouseDown(Qt::LeftButton, Qt::ControlModifier, at.x(), at.y());
        grid->MouseUp(Qt::LeftButton, Qt::ControlModifier, at.x(), at.y());
    }
    QSignalSpy changes(grid.get(), &TLmThumbGrid::selectionChanged);
    grid->resize(TLmThumbGrid::ScrollBarAllowance + 2 * 80 + 79, 300);
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->RowCount(), 4);
    QStringList files;
    grid->GetSelectedFiles(files);
    EXPECT_EQ(files, QStringList({"/f/0.jpg", "/f/2.jpg", "/f/5.jpg"}));
    EXPECT_EQ(grid->CurrentIndex(), 5);
    EXPECT_EQ(QPoint(grid->Col(), grid->Row()), QPoint(1, 2));
    EXPECT_EQ(changes.size(), 0); // the same files
}

TEST_F(ThumbGrid, AWiderGridKeepsTheShiftAnchor)
{
    auto grid = namesGrid(3);
    grid->LoadFromFileSource(paths(12), true, true);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTest::keyClick(grid.get(), Qt::Key_Right);
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(selected(*grid), QList<int>({4, 5, 6, 7}));
    grid->resize(TLmThumbGrid::ScrollBarAllowance + 4 * 80, 300); // four columns
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selected(*grid), QList<int>({4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST_F(ThumbGrid, KeysMoveTheCurrentItemWhenAllowed)
{
    const struct { int from; int key; bool shift; int to; QList<int> expected; } cases[] = {
        {4, Qt::Key_Right, false, 5, {5}},   {5, Qt::Key_Right, false, 6, {6}}, // to the next row
        {3, Qt::Key_Left, false, 2, {2}},    {0, Qt::Key_Left, false, 0, {0}},
        {1, Qt::Key_Up, false, 1, {1}},      {8, Qt::Key_Down, false, 8, {8}},  // below is empty
        {4, Qt::Key_Down, false, 7, {7}},    {2, Qt::Key_End, false, 9, {9}},
        {8, Qt::Key_Home, false, 0, {0}},    {4, Qt::Key_Right, true, 5, {4, 5}},
        {4, Qt::Key_A, false, 4, {4}},       {7, Qt::Key_PageUp, false, 1, {1}}, // (3 - 1) rows of 3
        {1, Qt::Key_PageDown, false, 7, {7}},
    };
    for (const auto& c : cases) {
        auto grid = namesGrid(3);
        grid->resize(grid->width(), 3 * 21 + 2 * grid->frameWidth());
        grid->SetDisableComponentKeyEventHandling(false);
        grid->LoadFromFileSource(paths(10), true, true);
        const QPoint at = centre(*grid, c.from);
        grid->MouseDown(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
        grid->MouseUp(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
        const Qt::KeyboardModifiers shift = c.shift ? Qt::ShiftModifier : Qt::NoModifier;
        grid->KeyDown(c.key, shift);
        grid->KeyUp(c.key, shift);
        EXPECT_EQ(grid->CurrentIndex(), c.to) << c.from << " key " << c.key;
        EXPECT_EQ(selected(*grid), c.expected) << c.from << " key " << c.key;
    }
}

TEST_F(ThumbGrid, ByDefaultKeysMoveAsInAPlainGrid)
{
    // 20 items in 3 columns: rows 0 to 6, the last holding 18 and 19; 3 rows shown, so a page
    // is 2 rows and the top row goes up to 4.
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const struct { int key; Qt::KeyboardModifiers keys; int current; QList<int> selected; int top; } steps[] = {
        {Qt::Key_Right, {}, 1, {1}, 0},
        {Qt::Key_Down, shift, 4, {1, 2, 3, 4}, 0},
        {Qt::Key_Down, shift, 7, {1, 2, 3, 4, 5, 6, 7}, 0},
        {Qt::Key_Down, shift, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 1}, // scrolled into view
        {Qt::Key_Up, shift, 7, {1, 2, 3, 4, 5, 6, 7}, 1},
        {Qt::Key_PageDown, {}, 13, {13}, 3},
        {Qt::Key_PageDown, {}, 19, {19}, 4},
        {Qt::Key_Right, {}, 19, {19}, 4},         // no wrap, nothing changes
        {Qt::Key_Home, ctrl, 0, {0, 19}, 0},      // Ctrl adds
        {Qt::Key_Down, ctrl, 0, {0, 19}, 1},      // a scroll alone
        {Qt::Key_End, {}, 2, {2}, 0},
        {Qt::Key_End, ctrl, 19, {2, 19}, 4},      // the last cell is empty: the last item
        {Qt::Key_Home, shift, 18, {18, 19}, 4},   // a range after Ctrl replaces the selection
        {Qt::Key_PageUp, {}, 12, {12}, 2},
        {Qt::Key_PageUp, ctrl, 6, {6, 12}, 2},    // the top row shown
        {Qt::Key_PageDown, ctrl, 12, {6, 12}, 2}, // the bottom row shown
        {Qt::Key_Left, {}, 12, {6, 12}, 2},
        {Qt::Key_Right, ctrl, 14, {6, 12, 14}, 2},
        {Qt::Key_Left, ctrl | shift, 12, {6, 12, 13, 14}, 2}, // Ctrl and Shift add the range
        {Qt::Key_Up, {}, 9, {9}, 2},
        {Qt::Key_Down, {}, 12, {12}, 2},
        {Qt::Key_Down, {}, 15, {15}, 3},
        {Qt::Key_Right, {}, 16, {16}, 3},
        {Qt::Key_Right, {}, 17, {17}, 3},
        {Qt::Key_Down, {}, 19, {19}, 4},          // below is empty: the last item
        {Qt::Key_A, {}, 19, {19}, 4},
    };
    auto grid = namesGrid(3);
    grid->resize(grid->width(), 3 * 21 + 2 * grid->frameWidth());
    grid->LoadFromFileSource(paths(20), true, true);
    ASSERT_EQ(grid->RowCount(), 7);
    ASSERT_EQ(grid->VisibleRowCount(), 3);
    QSignalSpy changes(grid.get(), &TLmThumbGrid::selectionChanged);
    int expectedChanges = 0;
    QList<int> before = selected(*grid);
    for (const auto& step : steps) {
        QTest::keyClick(grid.get(), Qt::Key(step.key), step.keys);
        const std::string at = QKeySequence(step.key | step.keys.toInt()).toString().toStdString();
        EXPECT_EQ(grid->CurrentIndex(), step.current) << at;
        EXPECT_EQ(QPoint(grid->Col(), grid->Row()), QPoint(step.current % 3, step.current / 3)) << at;
        EXPECT_EQ(selected(*grid), step.selected) << at;
        EXPECT_EQ(grid->TopRow(), step.top) << at;
        expectedChanges += selected(*grid) != before;
        before = selected(*grid);
    }
    EXPECT_EQ(changes.size(), expectedChanges);

    // One item at a time without multiple selection; an empty grid takes no key.
    grid->SetMultipleSelect(false);
    QTest::keyClick(grid.get(), Qt::Key_Home, shift);
    EXPECT_EQ(selected(*grid), QList<int>{18});
    QTest::keyClick(grid.get(), Qt::Key_Up, ctrl);
    EXPECT_EQ(selected(*grid), QList<int>{18});
    EXPECT_EQ(grid->TopRow(), 3);
    QTest::keyClick(grid.get(), Qt::Key_PageUp, ctrl);
    EXPECT_EQ(selected(*grid), QList<int>{9});
    grid->LoadFromFileSource(QStringList(), true, true);
    for (int key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown})
        QTest::keyClick(grid.get(), Qt::Key(key), ctrl);
    EXPECT_EQ(grid->CurrentIndex(), -1);
    EXPECT_EQ(grid->TopRow(), 0);
}

TEST_F(ThumbGrid, AFillPutsTheFocusOnItsCurrentItem)
{
    auto grid = namesGrid(3);
    grid->LoadFromFileSource(paths(7), true, true);
    const QPoint at = centre(*grid, 5);
    grid->MouseDown(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
    grid->MouseUp(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
    grid->LoadFromFileSource(paths(4, "/g/"), true, false);
    EXPECT_EQ(grid->CurrentIndex(), 0);
    EXPECT_EQ(QPoint(grid->Col(), grid->Row()), QPoint(0, 0));
    EXPECT_EQ(grid->GetSelectedCount(), 0);
    QTest::keyClick(grid.get(), Qt::Key_Right);
    EXPECT_EQ(selected(*grid), QList<int>{1});
}

TEST_F(ThumbGrid, SourcesOfTheFill)
{
    TempFolder folder;
    for (const char* name : {"b.jpg", "a.jpg"})
        folder.write(name, "x");
    auto grid = namesGrid(3);
    TFileListBox box;
    box.SetDirectory(folder.path());
    grid->LoadFromFileSource(&box, true, false);
    EXPECT_EQ(grid->CellText(0, 0), folder.file("a.jpg"));
    EXPECT_EQ(grid->CellText(1, 0), folder.file("b.jpg"));
    EXPECT_EQ(grid->GetSelectedCount(), 0);
    QListWidget list;
    list.addItems({"x", "y"});
    grid->LoadFromFileSource(&list, true, true);
    EXPECT_EQ(grid->CellText(1, 0), "y");

    QLabel other;
    try {
        grid->LoadFromFileSource(&other, true, true);
        ADD_FAILURE() << "accepted a label";
    } catch (const TLmThumbGrid::EError& e) {
        EXPECT_STREQ(e.what(), "File source is not of compatible type");
    }
    EXPECT_EQ(grid->CellText(1, 0), "y");
    EXPECT_EQ(grid->GetSelectedCount(), 1);
}

// ---- Thumbnails ----

QByteArray jpegOf(int width, int height)
{
    auto image = MakePatternImage(width, height, bcn24Bit);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image->SaveToStreamAs(buffer, "jpg");
    return buffer.data();
}

// The loader the workers run, recording each file and holding some until let go.
struct Loader {
    std::mutex mutex;
    std::condition_variable changed;
    QStringList loaded;
    QStringList held;
    bool open = false;

    ThumbPool::Work work()
    {
        return [this](const ThumbRequest& request, const std::atomic<bool>& cancelled) {
            {
                std::unique_lock lock(mutex);
                loaded << QFileInfo(request.path).fileName();
                changed.wait(lock, [&] { return open || !held.contains(QFileInfo(request.path).fileName()); });
            }
            return LoadThumbnail(request, cancelled);
        };
    }
    void release()
    {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    QStringList calls()
    {
        std::lock_guard lock(mutex);
        return loaded;
    }
};

std::unique_ptr<TLmThumbGrid> iconGrid(int width, int height)
{
    auto grid = std::make_unique<TLmThumbGrid>();
    grid->SetThumbDisplayType(tdtLargeIcon);
    grid->SetSupportedFormats(
        "*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;*.jpeg;*.TIFF");
    grid->resize(width, height);
    return grid;
}

bool settled(const TLmThumbGrid& grid, const QList<int>& indices)
{
    return std::all_of(indices.begin(), indices.end(), [&](int i) { return grid.CellPicture(i) != Picture::Pending; });
}

TEST_F(ThumbGrid, ThumbnailsArriveWhileOneLoadIsHeld)
{
    TempFolder folder;
    const QByteArray photo = jpegOf(400, 300);
    auto bitmap = MakePatternImage(40, 30, bcn24Bit);
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);
    bitmap->SaveToStreamAs(bmp, "bmp");
    const QByteArray huge = ProgressiveJpegClaiming(60000, 60000);
    QStringList files;
    files << folder.write("a.jpg", photo) << folder.write("held.jpg", photo) << folder.write("garbage.jpg", "xxxx")
          << folder.write("empty.jpg", "") << folder.mkdir("folder.jpg") << folder.write("bitmap.jpg", bmp.data())
          << folder.write("huge.jpg", huge) << folder.write("deleted.jpg", photo) << folder.write("notes.jp", photo)
          << folder.write("b.JPEG", photo);
    Loader loader;
    loader.held << "held.jpg";
    auto grid = iconGrid(600, 500);
    grid->SetThumbnailLoader(loader.work());
    grid->LoadFromFileSource(files, true, true);
    QFile::remove(files[7]); // after the fill
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));

    const QList<int> others = {0, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(*grid, others); }, 20000));
    EXPECT_EQ(grid->CellPicture(1), Picture::Pending);
    grid->viewport()->repaint(); // painting goes on
    const QList<Picture> expected = {Picture::Thumbnail, Picture::Pending, Picture::Placeholder,
                                     Picture::Placeholder, Picture::Placeholder, Picture::Thumbnail,
                                     Picture::Placeholder, Picture::Placeholder, Picture::Placeholder,
                                     Picture::Thumbnail};
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(grid->CellPicture(i), expected[i]) << files[i].toStdString();
    loader.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->CellPicture(1) == Picture::Thumbnail; }, 20000));
    // Only files that could be read were handed to the workers; no question was asked.
    QStringList calls = loader.calls();
    calls.sort();
    EXPECT_EQ(calls, QStringList({"a.jpg", "b.JPEG", "bitmap.jpg", "empty.jpg", "garbage.jpg", "held.jpg", "huge.jpg"}));
    EXPECT_TRUE(prompts.calls().isEmpty());

    // With a picture for failures, the failed ones show it; they are not loaded again, and
    // a new fill takes the thumbnails from memory.
    grid->SetLoadErrorThumb(files[0]);
    grid->LoadFromFileSource(files, true, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(*grid, others); }, 20000));
    EXPECT_EQ(grid->CellPicture(2), Picture::LoadError);
    EXPECT_EQ(grid->CellPicture(7), Picture::LoadError);
    EXPECT_EQ(grid->CellPicture(0), Picture::Thumbnail);
    EXPECT_EQ(loader.calls().size(), calls.size() + 1); // the failure picture
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST_F(ThumbGrid, RequestsForCellsScrolledAwayAreDropped)
{
    TempFolder folder;
    const QByteArray photo = jpegOf(32, 24);
    QStringList files;
    for (int i = 0; i < 60; ++i)
        files << folder.write(QStringLiteral("%1.jpg").arg(i, 2, 10, QLatin1Char('0')), photo);
    Loader loader;
    for (const QString& file : files)
        loader.held << QFileInfo(file).fileName();
    auto grid = iconGrid(3 * 106 + TLmThumbGrid::ScrollBarAllowance + 10, 250);
    grid->SetThumbnailLoader(loader.work());
    grid->LoadFromFileSource(files, true, true);
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    ASSERT_EQ(grid->ColCount(), 3);
    // Every worker holds a load of the first screen; the rest wait in the queue.
    const int workers = std::min<int>(ThumbPool::MaxThreads, QThread::idealThreadCount());
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader.calls().size() == workers; }, 10000));
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    grid->viewport()->repaint();
    const QStringList running = loader.calls();
    loader.release();
    const QList<int> last = {57, 58, 59};
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(*grid, last); }, 20000));
    // Of the first rows only the loads that had started were made.
    const QStringList calls = loader.calls();
    for (int i = 0; i < 9; ++i) {
        const QString name = QFileInfo(files[i]).fileName();
        EXPECT_EQ(calls.count(name), running.count(name)) << name.toStdString();
    }
    EXPECT_LE(running.size(), ThumbPool::MaxThreads);
}

TEST_F(ThumbGrid, TheCachesServeAgain)
{
    TempFolder folder;
    const QString cache = folder.path() + "cache";
    const QByteArray photo = jpegOf(200, 150);
    const QStringList files = {folder.write("a.jpg", photo), folder.write("b.jpg", photo)};
    Loader loader;
    {
        auto grid = iconGrid(400, 300);
        grid->SetDiskCacheDirectory(cache);
        grid->SetThumbnailLoader(loader.work());
        grid->LoadFromFileSource(files, true, true);
        grid->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return settled(*grid, {0, 1}); }, 20000));
        // Again: from memory, nothing loaded.
        grid->LoadFromFileSource(files, true, true);
        grid->viewport()->repaint();
        EXPECT_EQ(grid->CellPicture(0), Picture::Thumbnail);
        QStringList loaded = loader.calls(); // by two workers, in either order
        loaded.sort();
        EXPECT_EQ(loaded, QStringList({"a.jpg", "b.jpg"}));
    }
    // A new grid on the same folder reads the cache files.
    auto grid = iconGrid(400, 300);
    grid->SetDiskCacheDirectory(cache);
    grid->SetThumbnailLoader(loader.work());
    grid->LoadFromFileSource(files, true, true);
    grid->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(*grid, {0, 1}); }, 20000));
    EXPECT_EQ(grid->CellPicture(1), Picture::Thumbnail);
    const QStringList calls = loader.calls().mid(2);
    ASSERT_EQ(calls.size(), 2);
    for (const QString& call : calls)
        EXPECT_TRUE(call.startsWith("~x")) << call.toStdString();
}

TEST_F(ThumbGrid, ClicksThroughTheWindow)
{
    auto grid = namesGrid(3);
    grid->LoadFromFileSource(paths(7), true, true);
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    QSignalSpy changes(grid.get(), &TLmThumbGrid::selectionChanged);
    QSignalSpy presses(grid.get(), &TLmThumbGrid::mousePressed);
    QSignalSpy doubles(grid.get(), &TLmThumbGrid::doubleClicked);
    QWidget* view = grid->viewport();
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, centre(*grid, 2));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, centre(*grid, 4));
    EXPECT_EQ(selected(*grid), QList<int>({2, 3, 4}));
    QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, centre(*grid, 3));
    EXPECT_EQ(selected(*grid), QList<int>({2, 3, 4}));
    QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, centre(*grid, 6));
    EXPECT_EQ(selected(*grid), QList<int>({6}));
    EXPECT_EQ(doubles.size(), 1);
    EXPECT_GE(presses.size(), 3);
    EXPECT_EQ(presses.first().at(2).toPoint(), centre(*grid, 2));
    EXPECT_EQ(changes.size(), 4); // ctrl, shift at the press and again at the release, the double click
    EXPECT_TRUE(grid->hasFocus());
}

} // namespace
