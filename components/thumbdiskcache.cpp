#include "thumbdiskcache.h"

#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "platform/filecontent.h"
#include "platform/fileidentity.h"
#include "platform/filenames.h"
#include "platform/folderlisting.h"
#include "platform/foldertree.h"
#include "platform/paths.h"
#include "platform/safewrite.h"

#include <QBuffer>
#include <QRegularExpression>

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kDaysBefore1970 = 25569; // 1899-12-30 to 1970-01-01
constexpr std::int64_t kDecimals = 100000;      // five

bool fitsOneLine(const QString& path)
{
    return !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r'));
}

} // namespace

std::uint32_t HashCachePath(const QString& Path)
{
    const QByteArray bytes = platform::encodeFileName(Path);
    std::uint32_t h = bytes.isEmpty() ? 0 : std::uint8_t(bytes[0]);
    for (qsizetype i = 1; i < bytes.size(); ++i)
        h = h * 31 + std::uint8_t(bytes[i]);
    return h & 134217727u;
}

std::uint16_t PathChecksum(const QString& Path)
{
    const QByteArray bytes = platform::encodeFileName(Path);
    const QByteArray padded = QByteArray((4 - bytes.size() % 4) % 4, '\0') + bytes;
    std::uint32_t sum = 0;
    for (qsizetype i = 0; i < padded.size(); i += 4)
        sum += std::uint32_t(std::uint8_t(padded[i])) | std::uint32_t(std::uint8_t(padded[i + 1])) << 8
               | std::uint32_t(std::uint8_t(padded[i + 2])) << 16 | std::uint32_t(std::uint8_t(padded[i + 3])) << 24;
    return std::uint16_t((sum >> 16) ^ (sum & 0xFFFF));
}

QString DiskCacheDateText(const std::optional<FileStamp>& Stamp)
{
    if (!Stamp)
        return {};
    // Units of 1/100000 day since 1899-12-30, rounded half away from zero, in exact arithmetic.
    const __int128 nanoseconds = (__int128(Stamp->seconds) + kDaysBefore1970 * kSecondsPerDay) * 1000000000
                                 + Stamp->nanoseconds;
    const __int128 unit = __int128(kSecondsPerDay) * 1000000000 / kDecimals;
    const bool negative = nanoseconds < 0;
    const __int128 magnitude = negative ? -nanoseconds : nanoseconds;
    const std::int64_t units = std::int64_t((magnitude + unit / 2) / unit);
    QString text = QString::number(units / kDecimals) + QLatin1Char('.')
                   + QStringLiteral("%1").arg(units % kDecimals, 5, 10, QLatin1Char('0'));
    if (negative && units != 0)
        text.prepend(QLatin1Char('-'));
    return text.mid(2).remove(QLatin1Char('.'));
}

TThumbDiskCache::~TThumbDiskCache()
{
    SaveIndex();
}

void TThumbDiskCache::SetDirectory(const QString& Value)
{
    QString folder = Value.trimmed();
    if (!folder.isEmpty() && !platform::folderExists(folder)) {
        if (!platform::createFolderLevels(platform::missingFolderLevels(folder)).ok)
            folder.clear();
    }
    folder = platform::addTrailingSeparator(folder);
    if (folder == directory_)
        return;
    SaveIndex();
    directory_ = folder;
    index_.clear();
    LoadIndex();
}

QString TThumbDiskCache::FileName(const QString& Path) const
{
    return FileName(Path, StampOf(Path));
}

QString TThumbDiskCache::FileName(const QString& Path, const std::optional<FileStamp>& Stamp) const
{
    return directory_ + QStringLiteral("~x") + QString::number(HashCachePath(Path)) + DiskCacheDateText(Stamp)
           + QLatin1Char('F') + QString::number(PathChecksum(Path)) + saveFormat_;
}

int TThumbDiskCache::Find(const QString& Path) const
{
    return Active() ? int(index_.indexOf(Path)) : -1;
}

bool TThumbDiskCache::Get(int Position, TPixelGraphic& Target)
{
    if (!Active() || Position < 0 || Position >= index_.size())
        return false;
    const QString path = index_.at(Position);
    try {
        Target.SetWarningAction(waIgnore);
        Target.LoadFromFile(FileName(path));
    } catch (...) {
        Forget(path);
        return false;
    }
    Used(path);
    return true;
}

void TThumbDiskCache::Used(const QString& Path)
{
    const qsizetype at = index_.indexOf(Path);
    if (at >= 0)
        index_.move(at, index_.size() - 1);
}

void TThumbDiskCache::Forget(const QString& Path)
{
    index_.removeAll(Path);
}

void TThumbDiskCache::Add(TPixelGraphic& Image, const QString& Path)
{
    if (!Active() || !fitsOneLine(Path))
        return;
    try {
        removeEntriesOf(Path);
        if (saveFormat_.toUpper() == QLatin1String(".JPG"))
            PixelGraphicJPEGQuality = CacheJpegQuality;
        Image.SetColorResConversion(crcConvert);
        Image.SetWarningAction(waIgnore);
        QBuffer encoded;
        encoded.open(QIODevice::WriteOnly);
        Image.SaveToStreamAs(encoded, saveFormat_.mid(saveFormat_.startsWith(QLatin1Char('.')) ? 1 : 0));
        if (!platform::writeDisposableFile(FileName(Path), encoded.data()))
            return;
        index_.append(Path);
        while (index_.size() > maxCount_)
            EvictOldest();
        if (++unsavedAdds_ > UnsavedAddsLimit)
            SaveIndex();
    } catch (...) {
    }
}

void TThumbDiskCache::EvictOldest()
{
    if (index_.isEmpty())
        return;
    removeFilesOf(index_.takeFirst());
}

void TThumbDiskCache::SaveIndex()
{
    unsavedAdds_ = 0;
    if (directory_.isEmpty())
        return;
    const QString file = directory_ + IndexFileName;
    if (index_.isEmpty()) {
        platform::removeFile(file);
        return;
    }
    platform::writeDisposableFile(file, platform::encodeFileName(index_.join(QLatin1Char('\n')) + QLatin1Char('\n')));
}

void TThumbDiskCache::LoadIndex()
{
    const std::optional<QByteArray> bytes =
        directory_.isEmpty() ? std::nullopt : platform::readFileContent(directory_ + IndexFileName);
    if (!bytes)
        return;
    QStringList lines;
    for (const QByteArray& line : bytes->split('\n')) {
        const QString path = platform::decodeFileName(line.endsWith('\r') ? line.chopped(1) : line);
        if (!path.isEmpty())
            lines.append(path);
    }
    index_ = lines;
}

void TThumbDiskCache::removeEntriesOf(const QString& Path)
{
    if (index_.removeAll(Path) > 0)
        removeFilesOf(Path);
}

// Every cache file of the path, whatever time it was made for: its date text is 8 digits
// (the source's time) or none.
void TThumbDiskCache::removeFilesOf(const QString& Path) const
{
    const QString prefix = QStringLiteral("~x") + QString::number(HashCachePath(Path));
    const QRegularExpression name(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(prefix) + QStringLiteral("(\\d{8})?F") + QString::number(PathChecksum(Path))
        + QRegularExpression::escape(saveFormat_)));
    const platform::FolderListing files = platform::listFolder(directory_, platform::ListWhat::Files, prefix + QLatin1Char('*'));
    for (const QString& file : files.names)
        if (name.match(file).hasMatch())
            platform::removeFile(directory_ + file);
}
