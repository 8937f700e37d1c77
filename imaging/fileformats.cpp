#include "fileformats.h"


#include "platform/filecontent.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <stdexcept>

// ---- Base classes ----

TFileFormatReaderWriter::TFileFormatReaderWriter(QString ClassName, QString Extension, QString Description)
    : className_(std::move(ClassName)), extension_(std::move(Extension)), description_(std::move(Description))
{
}

TFileFormatReader::TFileFormatReader(QString ClassName, QString Extension, QString Description, bool HasSignature)
    : TFileFormatReaderWriter(std::move(ClassName), std::move(Extension), std::move(Description)),
      hasSignature_(HasSignature)
{
}

bool TFileFormatReader::CheckSignature(const SignatureProbe&) const
{
    return false;
}

void TFileFormatReader::Load(QIODevice&, TPixelGraphic&, int) const {}

void TFileFormatReader::GetInfo(QIODevice&, int, GraphicFileInfo& Info) const
{
    Info = GraphicFileInfo{};
    Info.ImageCount = 1;
}

TFileFormatWriter::TFileFormatWriter(QString ClassName, QString Extension, QString Description,
                                     ColorResolutionSet Resolutions)
    : TFileFormatReaderWriter(std::move(ClassName), std::move(Extension), std::move(Description)),
      canWriteResolutions_(Resolutions)
{
}

void TFileFormatWriter::Save(QIODevice&, TPixelGraphic&, const SaveOptions&) const {}
void TFileFormatWriter::WriteHeader(QIODevice&, TWriteSession&) const {}
void TFileFormatWriter::WriteImage(QIODevice&, TPixelGraphic&, TWriteSession&) const {}
void TFileFormatWriter::WriteEnd(QIODevice&, TWriteSession&) const {}

// ---- Names ----

int CompareFileFormatExtensions(const QString& A, const QString& B)
{
    const QByteArray a = A.toLower().toUtf8();
    const QByteArray b = B.toLower().toUtf8();
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString ColorsTextOfBitCount(int BitCount)
{
    switch (BitCount) {
    case 1:
        return QStringLiteral("2");
    case 4:
        return QStringLiteral("16");
    case 8:
        return QStringLiteral("256");
    case 16:
        return QStringLiteral("64K");
    case 24:
    case 32:
        return QStringLiteral("16.7M");
    default:
        return {};
    }
}

QString GetLowerExtension(const QString& FileName)
{
    const qsizetype separator = std::max({FileName.lastIndexOf(u'/'), FileName.lastIndexOf(u'\\'),
                                          FileName.lastIndexOf(u':')});
    const qsizetype dot = FileName.lastIndexOf(u'.');
    if (dot < 0 || dot < separator)
        return {};
    return FileName.mid(dot + 1).toLower();
}

namespace {

QString withoutLeadingDot(QString Extension)
{
    if (Extension.startsWith(u'.'))
        Extension.remove(0, 1);
    return Extension;
}

// Stable sort, done only when a neighbouring pair is out of order.
template <typename T> void sortByExtension(std::vector<const T*>& list)
{
    const auto outOfOrder = std::adjacent_find(list.begin(), list.end(), [](const T* a, const T* b) {
        return CompareFileFormatExtensions(a->Extension(), b->Extension()) > 0;
    });
    if (outOfOrder == list.end())
        return;
    std::stable_sort(list.begin(), list.end(), [](const T* a, const T* b) {
        return CompareFileFormatExtensions(a->Extension(), b->Extension()) < 0;
    });
}

} // namespace

// ---- Registry ----

FormatRegistry::FormatRegistry() = default;
FormatRegistry::~FormatRegistry() = default;

void FormatRegistry::AddReader(std::unique_ptr<TFileFormatReader> Reader)
{
    if (frozen_)
        throw std::logic_error("file format registry is frozen");
    readers_.push_back(Reader.get());
    owned_.push_back(std::move(Reader));
}

void FormatRegistry::AddWriter(std::unique_ptr<TFileFormatWriter> Writer)
{
    if (frozen_)
        throw std::logic_error("file format registry is frozen");
    writers_.push_back(Writer.get());
    owned_.push_back(std::move(Writer));
}

void FormatRegistry::Freeze()
{
    if (frozen_)
        return;
    SortFileFormatReaders();
    SortFileFormatWriters();
    frozen_ = true;
}

void FormatRegistry::SortFileFormatReaders()
{
    sortByExtension(readers_);
}

void FormatRegistry::SortFileFormatWriters()
{
    sortByExtension(writers_);
}

const TFileFormatWriter* FormatRegistry::FindWriter(const QString& Extension) const
{
    const QString wanted = withoutLeadingDot(Extension).toLower();
    for (const TFileFormatWriter* writer : writers_)
        if (writer->Extension().toLower() == wanted)
            return writer;
    return nullptr;
}

std::span<const TFileFormatReader* const> FileFormatReaders()
{
    return FileFormatRegistry().Readers();
}

std::span<const TFileFormatWriter* const> FileFormatWriters()
{
    return FileFormatRegistry().Writers();
}

// ---- Lookups ----

namespace {

// The first bytes of the stream, zero-filled past its end; the stream is put back.
SignatureProbe probeStream(QIODevice& Stream)
{
    SignatureProbe probe{};
    const qint64 start = Stream.pos();
    qint64 done = 0;
    try {
        while (done < SignatureProbeSize) {
            const qint64 got = Stream.read(reinterpret_cast<char*>(probe.data()) + done, SignatureProbeSize - done);
            if (got <= 0)
                break;
            done += got;
        }
    } catch (...) {
        Stream.seek(start);
        throw;
    }
    Stream.seek(start);
    return probe;
}

} // namespace

const TFileFormatReader* FindFileFormatReader(const FormatRegistry& Registry, QIODevice& Stream,
                                              QString Extension)
{
    try {
        Extension = withoutLeadingDot(Extension).toLower();
        const SignatureProbe probe = probeStream(Stream);
        for (const TFileFormatReader* reader : Registry.Readers())
            if (reader->HasSignature() && reader->CheckSignature(probe))
                return reader;
        if (Extension.isEmpty())
            return nullptr;
        for (const TFileFormatReader* reader : Registry.Readers())
            if (!reader->HasSignature() && reader->Extension().toLower() == Extension)
                return reader;
    } catch (...) {
    }
    return nullptr;
}

const TFileFormatReader* FindFileFormatReader(QIODevice& Stream, const QString& Extension)
{
    return FindFileFormatReader(FileFormatRegistry(), Stream, Extension);
}

bool ReadStreamFileInfo(const FormatRegistry& Registry, QIODevice& Stream, const QString& Extension,
                        int ImageIndex, QString& Description, GraphicFileInfo& Info)
{
    Description.clear();
    Info = GraphicFileInfo{};
    try {
        const TFileFormatReader* reader = FindFileFormatReader(Registry, Stream, Extension);
        if (!reader)
            return false;
        const qint64 start = Stream.pos();
        GraphicFileInfo found;
        try {
            reader->GetInfo(Stream, ImageIndex, found);
        } catch (...) {
            Stream.seek(start);
            throw;
        }
        Stream.seek(start);
        Description = reader->Description();
        Info = found;
        return true;
    } catch (...) {
        Description.clear();
        Info = GraphicFileInfo{};
        return false;
    }
}

bool ReadStreamFileInfo(QIODevice& Stream, const QString& Extension, int ImageIndex, QString& Description,
                        GraphicFileInfo& Info)
{
    return ReadStreamFileInfo(FileFormatRegistry(), Stream, Extension, ImageIndex, Description, Info);
}

bool ReadGraphicFileInfo(const QString& FileName, int ImageIndex, QString& Description, GraphicFileInfo& Info)
{
    Description.clear();
    Info = GraphicFileInfo{};
    try {
        QFile stream;
        if (!platform::openPlainFile(stream, FileName))
            return false;
        return ReadStreamFileInfo(stream, GetLowerExtension(FileName), ImageIndex, Description, Info);
    } catch (...) {
        return false;
    }
}
