#pragma once
// A picture format of the tests' own, so that a load can be slow, deaf to aborts or broken.
// A file is one line: "FAKE <width> <height> <RRGGBB> [<ms per row>] [stubborn] [broken]
// [slowinfo]". Loading fills the picture in the colour row by row, reporting progress after
// each row and then waiting; a stubborn load goes on when told to abort, a broken one raises
// halfway. A slow information query reads the bytes after the line one by one, waiting as long
// after each, and fails when a read does.

#include "imaging/fileformats.h"

#include "tempfolder.h"

#include <QStringList>

#include <atomic>
#include <mutex>

class FakePictureReader : public TFileFormatReader {
public:
    FakePictureReader();
    bool CheckSignature(const SignatureProbe& Header) const override;
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override;
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const override;

    // The colours of the files whose information was read, in order.
    QStringList Seen() const;
    mutable std::atomic<int> InfoQueries{0};
    mutable std::atomic<int> LoadsStarted{0};
    mutable std::atomic<int> LoadsEnded{0};

private:
    mutable std::mutex mutex_;
    mutable QStringList seen_;
};

// A frozen registry of that one reader.
struct FakeRegistry {
    FakeRegistry();
    FormatRegistry Registry;
    FakePictureReader* Reader;
};

inline QString WriteFakePicture(const TempFolder& Folder, const QString& Name, const QString& Line)
{
    return Folder.write(Name, Line.toLatin1());
}
