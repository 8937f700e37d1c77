// The add-images dialog over a temporary site: choosing a source folder, copying thumbnails,
// dropping files, deleting; and the site editor's drop, which takes the same path.

#include "apptestutil.h"
#include "app/windows/addimage.h"
#include "app/windows/editsite.h"
#include "components/bitbtn.h"
#include "components/droptarget.h"
#include "components/filelistbox.h"
#include "components/lmthumbgrid.h"
#include "components/shelltree.h"
#include "imaging/pglibrary.h"
#include "platform/fileurls.h"
#include "platform/inifile.h"

#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::mrCancel;
using platform::mrNo;
using platform::mrYes;

const QByteArray gifBytes("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                          35);

// Drops files on a list as the window system delivers a drop from a file manager.
Qt::DropAction dropFiles(TFileListBox& list, const QStringList& files)
{
    QMimeData data;
    data.setData(platform::uriListMimeType, platform::uriList(files));
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QDropEvent drop(QPointF(6, 6), offered, &data, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

QPoint centre(const TLmThumbGrid& grid, int index)
{
    return grid.CellRect(index % grid.ColCount(), index / grid.ColCount()).center();
}

class AddImages : public ::testing::Test, public PictorumFixture {
protected:
    void SetUp() override { InitPGraphic(); }
    void TearDown() override { DonePGraphic(); }

    void site(bool rotations, int count)
    {
        prog.write("options.ini", rotations ? "[Options]\r\nUseRotations=True\r\n" : "[Options]\r\n");
        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nRotationCount=" + QByteArray::number(count)
                                     + "\r\n");
        prog.mkdir("Site_1");
        start();
        clickRow(0);
    }
    // Opens the editor, then from it the add-images dialog, and runs work in each.
    void inDialogs(const std::function<void(TdlgEditSite&)>& editorWork, const std::function<void(TdlgAddImages&)>& work)
    {
        fake.dialogs.script([&](QDialog& d) {
            auto& editor = static_cast<TdlgEditSite&>(d);
            editorWork(editor);
            fake.dialogs.script([&](QDialog& a) {
                work(static_cast<TdlgAddImages&>(a));
                return mrCancel;
            });
            QTest::mouseClick(editor.btnAddFiles, Qt::LeftButton);
            return mrCancel;
        });
        form().btnedtsiteClick();
    }

    TempFolder source;
};

TEST_F(AddImages, AWalkThroughTheDialog)
{
    site(true, 2);
    prog.mkdir("Site_1/Rotation_1");
    for (const char* name : {"a.gif", "b.gif", "d e.gif", "f.gif"})
        source.write(name, gifBytes);
    source.write("notes.txt", "not shown");
    source.write("sub/x.gif", gifBytes);
    const QString folder = prog.file("Site_1/Rotation_1");
    const QString target = folder + "/";

    inDialogs([](TdlgEditSite&) {}, [&](TdlgAddImages& add) {
        EXPECT_EQ(add.windowTitle(), "Add Images to Current Rotation");
        EXPECT_EQ(add.lblrotation->text(), "Rotation:");
        EXPECT_EQ(add.lblcontains->text(), "This Rotation contains the following images:");
        EXPECT_EQ(add.lblsite->text(), "Alpha");
        EXPECT_EQ(add.cmbrotation->currentText(), "Rotation 1");
        EXPECT_EQ(add.edtrotationdirectory->text(), folder);
        EXPECT_EQ(add.lblcount->text(), "0 Images");
        EXPECT_FALSE(add.btncopy2site->isEnabled());
        EXPECT_EQ(add.btncopy2site->text(), "Copy to current Site");

        add.dirSource->SetPath(source.path());
        EXPECT_EQ(add.fbxsource->FileNames(), QStringList({"a.gif", "b.gif", "d e.gif", "f.gif"}));
        ASSERT_EQ(add.ThumbGrid->ItemCount(), 4);
        QWidget* view = add.ThumbGrid->viewport();
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, centre(*add.ThumbGrid, 0));
        QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, centre(*add.ThumbGrid, 2));
        QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, centre(*add.ThumbGrid, 3));
        EXPECT_TRUE(add.btncopy2site->isEnabled());
        EXPECT_EQ(add.btncopy2site->text(), "Copy these 3 images to the current Site");
        QTest::mouseClick(add.btncopy2site, Qt::LeftButton);
        EXPECT_EQ(add.FileBox->FileNames(), QStringList({"a.gif", "d e.gif", "f.gif"}));
        EXPECT_EQ(add.lblcount->text(), "3 Images");
        EXPECT_EQ(readAll(target + "d e.gif"), gifBytes);
        EXPECT_TRUE(fake.prompts.calls().isEmpty());

        // Dropped from its own folder: one box, nothing added; from elsewhere: added, after the drop.
        EXPECT_EQ(dropFiles(*add.FileBox, {target + "a.gif", source.file("b.gif")}), Qt::CopyAction);
        QTRY_COMPARE(fake.prompts.calls().size(), 1);
        EXPECT_EQ(fake.prompts.lastPrompt().text, "The destination folder is the same as the source!");
        EXPECT_EQ(fake.prompts.lastPrompt().caption, "DropSource Demo");
        EXPECT_EQ(add.lblcount->text(), "3 Images");
        EXPECT_EQ(dropFiles(*add.FileBox, {source.file("b.gif"), source.file("sub/x.gif")}), Qt::CopyAction);
        QTRY_COMPARE(add.lblcount->text(), QString("5 Images"));

        // The Delete key asks first, then deletes.
        fake.prompts.clear();
        add.FileBox->clearSelection();
        add.FileBox->item(0)->setSelected(true);
        fake.prompts.answer(mrYes);
        QTest::keyClick(add.FileBox, Qt::Key_Delete);
        EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Are you sure you want to delete the file, " + target + "a.gif?"});
        EXPECT_EQ(add.lblcount->text(), "4 Images");
        // A file kept back at the read-only question is named as not deleted.
        const QString kept = target + "b.gif";
        QFile::setPermissions(kept, QFileDevice::ReadOwner);
        fake.prompts.clear();
        add.FileBox->clearSelection();
        add.FileBox->item(0)->setSelected(true);
        fake.prompts.answer(mrYes);
        fake.prompts.answer(mrNo);
        QTest::keyClick(add.FileBox, Qt::Key_Delete);
        EXPECT_EQ(fake.prompts.promptTexts(),
                  QStringList({"Are you sure you want to delete the file, " + kept + "?",
                               "Are you sure you want to delete the file, " + kept + "?  This file is marked READ ONLY!",
                               "Error encountered deleting the file, " + kept + "?"}));
        EXPECT_EQ(add.lblcount->text(), "4 Images");

        // A rotation whose folder is missing stays out; the label and list keep the old one.
        fake.prompts.clear();
        add.cmbrotation->setCurrentIndex(1);
        emit add.cmbrotation->activated(1);
        EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error!  The directory, " + prog.file("Site_1/Rotation_2")
                                                          + ", could not be located!"});
        EXPECT_EQ(add.edtrotationdirectory->text(), folder);
        prog.mkdir("Site_1/Rotation_2");
        emit add.cmbrotation->activated(1);
        EXPECT_EQ(add.edtrotationdirectory->text(), prog.file("Site_1/Rotation_2"));
        EXPECT_EQ(add.lblcount->text(), "0 Images");
    });
    EXPECT_EQ(fake.prompts.unanswered(), 0);
}

TEST_F(AddImages, AFolderChangeSelectsTheFirstImageAndKeysMoveFromIt)
{
    site(true, 1);
    prog.mkdir("Site_1/Rotation_1");
    TempFolder other, empty;
    for (int i = 0; i < 5; ++i)
        source.write(QString("a%1.gif").arg(i), gifBytes);
    for (int i = 0; i < 70; ++i)
        other.write(QString("b%1.gif").arg(i, 2, 10, QChar('0')), gifBytes);

    inDialogs([](TdlgEditSite&) {}, [&](TdlgAddImages& add) {
        TLmThumbGrid& grid = *add.ThumbGrid;
        const auto selectedFiles = [&grid] {
            QStringList files;
            grid.GetSelectedFiles(files);
            return files;
        };
        add.dirSource->SetPath(source.path());
        EXPECT_EQ(selectedFiles(), QStringList{source.file("a0.gif")});
        EXPECT_TRUE(add.btncopy2site->isEnabled());
        EXPECT_EQ(add.btncopy2site->text(), "Copy these 1 images to the current Site");
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, centre(grid, 3));
        ASSERT_EQ(grid.CurrentIndex(), 3);

        // The next folder starts at its first image, the focus frame with it.
        add.dirSource->SetPath(other.path());
        const int cols = grid.ColCount(), rows = grid.VisibleRowCount();
        ASSERT_GE(cols, 2);
        ASSERT_GE(rows, 2);
        ASSERT_GT(grid.RowCount(), 2 * rows);
        EXPECT_EQ(selectedFiles(), QStringList{other.file("b00.gif")});
        EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(0, 0));
        EXPECT_EQ(add.btncopy2site->text(), "Copy these 1 images to the current Site");

        QTest::keyClick(&grid, Qt::Key_End, Qt::ShiftModifier);
        EXPECT_EQ(grid.CurrentIndex(), cols - 1);
        EXPECT_EQ(add.btncopy2site->text(), QString("Copy these %1 images to the current Site").arg(cols));
        QTest::keyClick(&grid, Qt::Key_PageDown);
        const int paged = (rows - 1) * cols + cols - 1;
        EXPECT_EQ(selectedFiles(), QStringList{other.file(QString("b%1.gif").arg(paged, 2, 10, QChar('0')))});
        EXPECT_EQ(grid.TopRow(), rows - 1);
        EXPECT_EQ(add.btncopy2site->text(), "Copy these 1 images to the current Site");
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(grid.CurrentIndex(), 69);
        EXPECT_EQ(grid.TopRow(), grid.RowCount() - rows);
        QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(grid.CurrentIndex(), 0);
        EXPECT_EQ(grid.TopRow(), 0);
        EXPECT_EQ(add.btncopy2site->text(), "Copy these 70 images to the current Site");

        // A folder without images: nothing to copy, and keys do nothing.
        add.dirSource->SetPath(empty.path());
        EXPECT_FALSE(add.btncopy2site->isEnabled());
        EXPECT_EQ(add.btncopy2site->text(), "Copy to current Site");
        QTest::keyClick(&grid, Qt::Key_Down);
        EXPECT_EQ(grid.GetSelectedCount(), 0);
        EXPECT_FALSE(add.btncopy2site->isEnabled());
    });
}

TEST_F(AddImages, ASingleVersionSiteSaysSo)
{
    site(false, 1);
    inDialogs([](TdlgEditSite&) {}, [&](TdlgAddImages& add) {
        EXPECT_EQ(add.lblrotation->text(), "Version:");
        EXPECT_EQ(add.lblcontains->text(), "This Site contains the following images:");
        EXPECT_EQ(add.cmbrotation->currentText(), "Current Site");
        EXPECT_EQ(add.edtrotationdirectory->text(), prog.file("Site_1/"));
    });
}

TEST_F(AddImages, DragsStartOnlyWithOneButtonNoKeysAndTenPixels)
{
    const QPoint down(50, 50);
    struct Case {
        QPoint to;
        Qt::MouseButtons buttons;
        Qt::KeyboardModifiers keys;
        bool starts;
    } cases[] = {
        {{60, 50}, Qt::LeftButton, Qt::NoModifier, true},
        {{50, 40}, Qt::RightButton, Qt::NoModifier, true},
        {{59, 59}, Qt::LeftButton, Qt::NoModifier, false},
        {{40, 50}, Qt::LeftButton | Qt::RightButton, Qt::NoModifier, false},
        {{40, 50}, Qt::MiddleButton, Qt::NoModifier, false},
        {{40, 50}, Qt::NoButton, Qt::NoModifier, false},
        {{40, 50}, Qt::LeftButton, Qt::ShiftModifier, false},
        {{40, 50}, Qt::LeftButton, Qt::ControlModifier, false},
        {{40, 50}, Qt::LeftButton, Qt::AltModifier, false},
        {{40, 50}, Qt::LeftButton, Qt::KeypadModifier, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(startsFileDrag(down, c.to, c.buttons, c.keys), c.starts) << c.to.x() << "," << c.to.y();
}

TEST_F(AddImages, TheEditorTakesDroppedImagesToo)
{
    site(true, 1);
    prog.mkdir("Site_1/Rotation_1");
    source.write("a.gif", gifBytes);
    source.write("b.txt", "text");
    fake.dialogs.script([&](QDialog& d) {
        auto& editor = static_cast<TdlgEditSite&>(d);
        EXPECT_EQ(editor.DropFileTarget1->Dragtypes(), TDragTypes(dtCopy));
        fake.prompts.answer(platform::mrOk);
        // A move offered by the source is still only a copy here.
        EXPECT_EQ(dropFiles(*editor.FileBox, {source.file("b.txt"), source.file("a.gif")}), Qt::CopyAction);
        EXPECT_TRUE(QTest::qWaitFor([&] { return editor.lblfilecount->text() == "1 Images"; }, 5000));
        EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"The file, " + source.file("b.txt")
                                                          + ", is not a supported image format"});
        EXPECT_TRUE(QFile::exists(source.file("a.gif")));
        return mrCancel;
    });
    form().btnedtsiteClick();
}

} // namespace
