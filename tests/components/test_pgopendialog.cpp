#include "fakepicturereader.h"
#include "fifo.h"

#include "components/openpreviewlayout.h"
#include "components/pgopendialog.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"
#include "imaging/readerfilter.h"

#include "fakes.h"
#include "filedialogdriver.h"
#include "tempfolder.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 5000)
{
    return QTest::qWaitFor(done, ms);
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

class OpenDialog : public ::testing::Test {
protected:
    void SetUp() override { InitPGraphic(); }
    void TearDown() override
    {
        dialog.reset();
        DonePGraphic();
    }

    // A dialog over the fake pictures of the folder, shown for the handler. The pause after a
    // change of selection ends when the test says so (PreviewTimerTick), never by itself.
    TPGOpenDialog& make()
    {
        dialog = std::make_unique<TPGOpenDialog>(fake.services);
        EXPECT_EQ(dialog->PreviewTimer->interval(), 150);
        EXPECT_TRUE(dialog->PreviewTimer->isSingleShot());
        dialog->PreviewTimer->setInterval(24 * 3600 * 1000);
        dialog->PreviewTimer->setTimerType(Qt::PreciseTimer); // a coarse one moves its end
        dialog->SetRegistry(fakes.Registry);
        dialog->SetInitialDir(dir.path());
        listed = false;
        if (auto* model = dialog->FileDialog->findChild<QFileSystemModel*>())
            QObject::connect(model, &QFileSystemModel::directoryLoaded, dialog.get(), [this] { listed = true; });
        return *dialog;
    }
    // The handler starts once the folder is listed, as a user sees the files before choosing.
    bool execute(std::function<int(TPGOpenDialog&)> handler)
    {
        fake.dialogs.script([this, handler](QDialog&) {
            EXPECT_TRUE(waitFor([this] { return listed; }));
            return handler(*dialog);
        });
        return dialog->Execute();
    }
    // Selects a file as typing its name does, and lets the pause pass.
    void select(const QString& name)
    {
        typeFileName(*dialog->FileDialog, name);
        dialog->PreviewTimerTick();
    }
    bool waitForPreview()
    {
        return waitFor([this] { return dialog->PreviewGraphic() != nullptr; });
    }

    TempFolder dir;
    FakeServices fake;
    FakeRegistry fakes;
    std::unique_ptr<TPGOpenDialog> dialog;
    bool listed = false;
};

TEST_F(OpenDialog, TheReadersFilterAndTheShareAwareRule)
{
    TPGOpenDialog d(fake.services);
    EXPECT_EQ(d.Filter(), BuildDefaultFilter());
    EXPECT_EQ(d.GetEnabledReaderExtension(2), "bmp");
    d.SetUseDefaultFilter(false);
    EXPECT_EQ(d.GetEnabledReaderCount(), 0);
    EXPECT_EQ(d.GetEnabledReaderExtension(2), "");

    EXPECT_EQ(d.Options(), TOpenOptions(ofHideReadOnly | ofShareAware));
    d.SetOptions(ofAllowMultiSelect);
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"TPGOpenDialog.Options and TPGSaveDialog.Options must include ofShareAware!"});
    EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::None);
    EXPECT_EQ(d.Options(), TOpenOptions(ofAllowMultiSelect | ofShareAware));
}

TEST_F(OpenDialog, ExecuteGivesTheChosenFileAndPlacesTheDialog)
{
    const QString chosen = WriteFakePicture(dir, "a.fak", "FAKE 10 10 FF0000");
    TPGOpenDialog& d = make();
    EXPECT_TRUE(execute([&](TPGOpenDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), "Open");
        const QRect screen = shown.screen()->geometry();
        EXPECT_EQ(shown.pos(), OpenDialogPosition(screen, shown.frameGeometry().size()));
        // The readers' filter, made again at Execute.
        EXPECT_EQ(shown.Filter(), "Image files|*.fak|FAK - Fake picture|*.fak|All files|*.*");
        EXPECT_EQ(shown.FileDialog->nameFilters(),
                  (QStringList{"Image files (*.fak)", "FAK - Fake picture (*.fak)", "All files (*)"}));
        typeFileName(*shown.FileDialog, "a.fak");
        acceptFileDialog(*shown.FileDialog);
        return platform::mrNone;
    }));
    EXPECT_EQ(d.FileName(), chosen);
    EXPECT_EQ(d.Files(), QStringList{chosen});
    EXPECT_EQ(d.FilterIndex(), 1);

    // Once more, with a title; cancelled.
    d.SetTitle("Please select an image to use");
    EXPECT_FALSE(execute([](TPGOpenDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), "Please select an image to use");
        EXPECT_TRUE(shown.FileDialog->isVisible());
        return platform::mrCancel;
    }));
    EXPECT_EQ(d.FileName(), chosen);
}

TEST_F(OpenDialog, TheFilterListsByThePlatformsMasks)
{
    for (const char* name : {"a.BMP", "b.fak", "c.TIFF", "d.jpeg", "e.txt", "f"})
        dir.write(name, "x");
    dir.mkdir("sub");
    TPGOpenDialog& d = make();
    d.SetUseDefaultFilter(false);
    d.SetFilter("Pictures|*.bmp; *.tif;; *.jpe|Text|*.txt|Empty| |All files|*.*");
    execute([&](TPGOpenDialog& shown) {
        QFileDialog& files = *shown.FileDialog;
        EXPECT_EQ(files.nameFilters(), (QStringList{"Pictures (*.bmp *.tif *.jpe)", "Text (*.txt)", "All files (*)"}));
        const QStringList pictures{"a.BMP", "c.TIFF", "d.jpeg", "sub"};
        EXPECT_TRUE(waitFor([&] { return sorted(listedNames(files)) == pictures; })) << listedNames(files).join(",").toStdString();
        auto* types = files.findChild<QComboBox*>("fileTypeCombo");
        for (const auto& [index, names] : {std::pair{1, QStringList{"e.txt", "sub"}},
                                           std::pair{2, QStringList{"a.BMP", "b.fak", "c.TIFF", "d.jpeg", "e.txt", "f", "sub"}}}) {
            types->setCurrentIndex(index);
            emit types->textActivated(types->itemText(index)); // as a choice by the user
            EXPECT_TRUE(waitFor([&] { return sorted(listedNames(files)) == names; }))
                << listedNames(files).join(",").toStdString();
        }
        return platform::mrCancel;
    });
}

TEST_F(OpenDialog, APauseAfterTheLastChangeLoadsThatFileOnly)
{
    for (const char* line : {"a.fak|FAKE 10 10 FF0000", "b.fak|FAKE 10 10 00FF00", "c.fak|FAKE 10 10 0000FF"})
        WriteFakePicture(dir, QString(line).section('|', 0, 0), QString(line).section('|', 1));
    make();
    execute([&](TPGOpenDialog& shown) {
        int left = -1;
        for (const char* name : {"a.fak", "b.fak", "c.fak"}) {
            typeFileName(*shown.FileDialog, name);
            EXPECT_TRUE(shown.PreviewTimer->isActive());
            EXPECT_GT(shown.PreviewTimer->remainingTime(), left) << name; // the pause starts again
            QTest::qWait(20);
            left = shown.PreviewTimer->remainingTime();
        }
        QTest::qWait(50);
        EXPECT_TRUE(fakes.Reader->Seen().isEmpty()); // nothing before the pause
        shown.PreviewTimerTick();                    // as the pause ends
        EXPECT_FALSE(shown.PreviewTimer->isActive());
        EXPECT_TRUE(waitForPreview());
        QTest::qWait(250);
        EXPECT_EQ(fakes.Reader->Seen(), QStringList{"0000FF"});
        return platform::mrCancel;
    });
}

TEST_F(OpenDialog, ThePanelShowsThePictureItsInformationAndTheClock)
{
    WriteFakePicture(dir, "big.fak", "FAKE 640 480 FF0000");
    WriteFakePicture(dir, "slow.fak", "FAKE 20 400 00FF00 10");
    make();
    execute([&](TPGOpenDialog& shown) {
        const QSize box = shown.PreviewBox->size();
        EXPECT_GT(box.width(), 40);
        select("big.fak");
        EXPECT_TRUE(waitForPreview());
        const TPixelGraphic* preview = shown.PreviewGraphic();
        EXPECT_EQ(QSize(preview->Width(), preview->Height()), PreviewFitSize(QSize(640, 480), box - QSize(4, 4)));
        EXPECT_TRUE(shown.InfoValid());
        EXPECT_EQ(shown.Info().Description, "Fake picture");
        EXPECT_EQ(shown.Info().Info.Width, 640);

        const QImage drawn = shown.PreviewBox->grab().toImage();
        const QPalette& colors = shown.palette();
        EXPECT_EQ(drawn.pixel(0, 0), colors.color(QPalette::Dark).rgb()); // sunken frame
        EXPECT_EQ(drawn.pixel(1, 1), qRgb(0, 0, 0));
        EXPECT_EQ(drawn.pixel(box.width() - 1, box.height() - 1), qRgb(255, 255, 255));
        // Wider than the box: as wide as the room, centred with face above and below.
        const QRect place = PreviewPlacement(box, QSize(preview->Width(), preview->Height()));
        EXPECT_EQ(drawn.pixel(place.center()), qRgb(255, 0, 0));
        EXPECT_EQ(drawn.pixel(place.center().x(), place.top() - 1), colors.color(QPalette::Button).rgb());

        // While a load runs the clock shows, in its own colours.
        shown.SetProgressClockBkColor(Qt::yellow);
        shown.SetProgressClockLineColor(Qt::blue);
        select("slow.fak");
        EXPECT_FALSE(shown.PreviewGraphic());
        EXPECT_TRUE(waitFor([&] { return shown.ProgressClock().has_value(); }));
        const QImage clock = shown.PreviewBox->grab().toImage().copy(
            QRect(ProgressClockOrigin(box), QSize(ProgressClockSize, ProgressClockSize)));
        EXPECT_EQ(clock.pixel(0, 0), colors.color(QPalette::Button).rgb()); // outside the face
        int face = 0;
        for (int i = 0; i < ProgressClockSize * ProgressClockSize; ++i)
            face += clock.pixel(i % ProgressClockSize, i / ProgressClockSize) == qRgb(255, 255, 0);
        EXPECT_GT(face, 90); // the hands cover a few
        EXPECT_EQ(clock.pixel(7, 7), qRgb(0, 0, 255));

        shown.SetProgressClockVisible(false);
        select("slow.fak");
        QTest::qWait(150);
        EXPECT_FALSE(shown.ProgressClock().has_value());
        return platform::mrCancel;
    });
}

TEST_F(OpenDialog, SeveralSelectedFilesPreviewTheFirst)
{
    const QString first = WriteFakePicture(dir, "a.fak", "FAKE 10 10 FF0000");
    const QString second = WriteFakePicture(dir, "b.fak", "FAKE 12 12 00FF00");
    TPGOpenDialog& d = make();
    d.SetOptions(ofAllowMultiSelect | ofShareAware);
    EXPECT_TRUE(execute([&](TPGOpenDialog& shown) {
        select("\"a.fak\" \"b.fak\"");
        EXPECT_TRUE(waitForPreview());
        EXPECT_EQ(fakes.Reader->Seen(), QStringList{"FF0000"});
        acceptFileDialog(*shown.FileDialog);
        return platform::mrNone;
    }));
    EXPECT_EQ(d.Files(), (QStringList{first, second}));
    EXPECT_EQ(d.FileName(), first);
}

TEST_F(OpenDialog, ANewSelectionDropsTheOlderPreview)
{
    // The first load goes on to its end, deaf to the change; its picture must never show.
    WriteFakePicture(dir, "stubborn.fak", "FAKE 30 30 FF0000 10 stubborn");
    WriteFakePicture(dir, "quick.fak", "FAKE 12 8 0000FF");
    make();
    execute([&](TPGOpenDialog& shown) {
        select("stubborn.fak");
        EXPECT_TRUE(waitFor([&] { return fakes.Reader->LoadsStarted == 1; }));
        select("quick.fak");
        EXPECT_TRUE(waitFor([&] { return fakes.Reader->LoadsEnded == 2; }));
        QTest::qWait(100);
        const TPixelGraphic* preview = shown.PreviewGraphic();
        EXPECT_TRUE(preview && preview->Width() == 12 && preview->Height() == 8);
        EXPECT_EQ(shown.Info().Info.Width, 12);
        return platform::mrCancel;
    });
}

TEST_F(OpenDialog, AFifoOrAnUnknownFileBlocksNothingAndShowsNothing)
{
    ASSERT_FALSE(MakeFifo(dir.file("pipe.fak")).isEmpty());
    dir.write("note.fak", "no picture");
    WriteFakePicture(dir, "good.fak", "FAKE 10 10 FF0000");
    make();
    execute([&](TPGOpenDialog& shown) {
        for (const char* name : {"pipe.fak", "note.fak"}) {
            select(name);
            QTest::qWait(100);
            EXPECT_FALSE(shown.InfoValid()) << name;
            EXPECT_FALSE(shown.PreviewGraphic()) << name;
        }
        select("good.fak"); // the worker is free
        EXPECT_TRUE(waitForPreview());
        return platform::mrCancel;
    });
    EXPECT_EQ(fakes.Reader->LoadsStarted, 1);
}

TEST_F(OpenDialog, ClosingDuringALoadStopsItAtOnce)
{
    // Shows a new dialog, selects the file, cancels once the test's moment has come and
    // gives the milliseconds the dialog took to go.
    const auto closeWhen = [this](const char* name, const std::function<bool()>& moment) {
        make();
        execute([&](TPGOpenDialog&) {
            select(name);
            EXPECT_TRUE(waitFor(moment)) << name;
            return platform::mrCancel;
        });
        QElapsedTimer clock;
        clock.start();
        dialog.reset();
        return clock.elapsed();
    };
    FakePictureReader& reader = *fakes.Reader;

    WriteFakePicture(dir, "slow.fak", "FAKE 40 500 FF0000 10"); // five seconds
    EXPECT_LT(closeWhen("slow.fak", [&] { return reader.LoadsStarted == 1; }), 1000);
    EXPECT_EQ(reader.LoadsEnded, 1);

    // Closed while the information is read: that stops at its next read of the file.
    dir.write("long.fak", "FAKE 10 10 FF0000 10 slowinfo\n" + QByteArray(500, 'x')); // five seconds
    EXPECT_LT(closeWhen("long.fak", [&] { return reader.InfoQueries == 2; }), 1000);
    EXPECT_EQ(reader.LoadsStarted, 1);

    // Closed with a finished preview still on its way.
    WriteFakePicture(dir, "quick.fak", "FAKE 10 10 FF0000");
    closeWhen("quick.fak", [&] { return reader.LoadsEnded == 2; });
    QTest::qWait(20);
}

} // namespace
