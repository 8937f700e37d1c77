#pragma once
// Checks the tests of every format make the same way: damaged files and short reads.

#include "fixtures.h"
#include "tests/imaging/imagingtest.h"
#include "imaging/fileformats.h"

#include <QBuffer>
#include <QDir>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <functional>
#include <vector>

// The message a load raises, or "" when it loads.
inline QString LoadFailure(const std::function<void()>& Load)
{
    try {
        Load();
        return {};
    } catch (const EPixelGraphic& e) {
        return e.Message();
    }
}

// File loads to Expected's pixels through streams that hand out a few bytes per read.
inline void ExpectShortReadsGive(const QByteArray& File, TPixelGraphic& Expected, const QString& Extension = {},
                                 const std::string& What = {})
{
    for (const auto& pattern : ShortReadPatterns()) {
        ChunkedDevice device(File, pattern);
        TPixelGraphic image;
        image.LoadFromStreamIndex(device, Extension, 0);
        EXPECT_TRUE(SamePixels(image, Expected)) << What << " chunks of " << pattern.front();
    }
}

// Each file loads to the same pixels through such streams as at once.
inline void ExpectShortReadsGiveTheSameImage(const std::vector<Seed>& Files)
{
    for (const Seed& file : Files) {
        TPixelGraphic whole;
        LoadBytes(whole, file.data);
        ExpectShortReadsGive(file.data, whole, {}, file.name.toStdString());
    }
}

// The damaged files of Folder that match Masks are exactly those of Expected, and each fails
// with its message ("": it loads). Prepare sets up each image before its load.
inline void ExpectCrashersFailCleanly(const QDir& Folder, const QStringList& Masks, const QMap<QString, QString>& Expected,
                                      const std::function<void(TPixelGraphic&)>& Prepare = {})
{
    const QStringList files = Folder.entryList(Masks, QDir::Files, QDir::Name);
    EXPECT_EQ(QStringList(Expected.keys()), files);
    for (const QString& name : files) {
        TPixelGraphic image;
        if (Prepare)
            Prepare(image);
        EXPECT_EQ(LoadFailure([&] { image.LoadFromFile(Folder.filePath(name)); }), Expected.value(name))
            << name.toStdString();
    }
}

// ReadStreamFileInfo over bytes.
inline bool BytesFileInfo(const QByteArray& Bytes, const QString& Extension, int Index, QString& Description,
                          GraphicFileInfo& Info)
{
    QBuffer buffer;
    buffer.setData(Bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadStreamFileInfo(buffer, Extension, Index, Description, Info);
}

// One run of an independent program (an image format's reference tools): what it gave.
struct ToolRun {
    int exitCode = -1;
    QByteArray out, err;
};

// Runs Program with Input on its standard input; a program not installed is a failure
// (scripts/setup.sh installs them).
inline ToolRun RunTool(const QString& Program, const QStringList& Arguments, const QByteArray& Input = {})
{
    const QString path = QStandardPaths::findExecutable(Program);
    if (path.isEmpty()) {
        ADD_FAILURE() << Program.toStdString() << " not found: run scripts/setup.sh";
        return {};
    }
    QProcess process;
    process.start(path, Arguments);
    process.write(Input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
