#include "components/filelistbox.h"
#include "tempfolder.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

TEST(FileListBox, ListsMatchingPlainFilesInListingOrder)
{
    TempFolder dir;
    for (const char* name : {"b.JPG", "a.gif", "c.jpeg", "note.txt", ".hidden.jpg"})
        dir.write(name, "x");
    dir.mkdir("folder.jpg");
    TFileListBox box;
    box.SetMask("*.gif;*.jpe;*.jpg");
    QSignalSpy changes(&box, &TFileListBox::Change);
    ASSERT_TRUE(box.SetDirectory(dir.path().chopped(1)).ok);
    EXPECT_EQ(box.Directory(), dir.path());
    EXPECT_EQ(box.FileNames(), (QStringList{"a.gif", "b.JPG", "c.jpeg"}));
    EXPECT_EQ(box.FilePath(2), dir.file("c.jpeg"));
    EXPECT_EQ(box.FilePath(3), QString());
    EXPECT_EQ(changes.count(), 1);
}

TEST(FileListBox, UpdateKeepsSelectionOfNamesStillThere)
{
    TempFolder dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        dir.write(name, "x");
    TFileListBox box;
    box.SetDirectory(dir.path());
    box.item(0)->setSelected(true);
    box.item(2)->setSelected(true);
    QFile::remove(dir.file("a.jpg"));
    dir.write("d.jpg", "x");
    box.Update();
    EXPECT_EQ(box.FileNames(), (QStringList{"b.jpg", "c.jpg", "d.jpg"}));
    EXPECT_EQ(box.SelectedFiles(), (QStringList{dir.file("c.jpg")}));
}

TEST(FileListBox, UnreadableFolderEmptiesTheListAndSaysWhy)
{
    TempFolder dir;
    dir.write("a.jpg", "x");
    TFileListBox box;
    box.SetDirectory(dir.path());
    const platform::FileOutcome outcome = box.SetDirectory(dir.file("missing"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.reason.isEmpty());
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.FileName(), QString());
}

} // namespace
