#include "folderscans.h"

#include "platform/helperprocess.h"
#include "platform/mounttable.h"

#include <QDataStream>
#include <QIODevice>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <variant>

// Shared by the worker and its asker; the worker may outlive both.
template <typename Result> struct FolderReads<Result>::Job {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::chrono::steady_clock::time_point endedAt;
    Result result;
};

namespace {

// A result nobody took for this long is too old to show: the folder is read again.
constexpr std::chrono::seconds keptFor{10};

// What a reader is asked and what it hands back, written and read by the same program.
void pack(QDataStream& out, const ShellItem& item)
{
    out << qint32(item.kind) << item.name << item.path << item.label << item.attributes << item.size << item.modified
        << item.remote;
}

void unpack(QDataStream& in, ShellItem& item)
{
    qint32 kind = 0;
    in >> kind >> item.name >> item.path >> item.label >> item.attributes >> item.size >> item.modified >> item.remote;
    item.kind = ShellItem::Kind(kind);
}

void pack(QDataStream& out, const QList<ShellItem>& items)
{
    out << qint32(items.size());
    for (const ShellItem& item : items)
        pack(out, item);
}

void unpack(QDataStream& in, QList<ShellItem>& items)
{
    qint32 count = 0;
    in >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i)
        unpack(in, items.emplace_back());
}

void pack(QDataStream& out, const FolderScan& scan)
{
    out << scan.ok;
    pack(out, scan.items);
}

void unpack(QDataStream& in, FolderScan& scan)
{
    in >> scan.ok;
    unpack(in, scan.items);
}

void failed(FolderScan& scan)
{
    scan = FolderScan{};
}

void pack(QDataStream& out, const platform::FolderListing& listing)
{
    out << listing.outcome.ok << listing.outcome.reason << listing.names << qint32(listing.unexamined);
}

void unpack(QDataStream& in, platform::FolderListing& listing)
{
    qint32 unexamined = 0;
    in >> listing.outcome.ok >> listing.outcome.reason >> listing.names >> unexamined;
    listing.unexamined = unexamined;
}

void failed(platform::FolderListing& listing)
{
    listing = platform::FolderListing{};
    listing.outcome = platform::FileOutcome::failure(QStringLiteral("The folder's server gave no answer"));
}

void pack(QDataStream& out, const RemoteFolderRead& read)
{
    out << read.path << read.hidden;
}

void unpack(QDataStream& in, RemoteFolderRead& read)
{
    in >> read.path >> read.hidden;
}

void pack(QDataStream& out, const RemoteLinksRead& read)
{
    out << read.folder << read.realFolder;
    pack(out, read.links);
}

void unpack(QDataStream& in, RemoteLinksRead& read)
{
    in >> read.folder >> read.realFolder;
    unpack(in, read.links);
}

void pack(QDataStream& out, const ListingRead& read)
{
    out << read.folder << qint32(read.what) << read.masks;
}

void unpack(QDataStream& in, ListingRead& read)
{
    qint32 what = 0;
    in >> read.folder >> what >> read.masks;
    read.what = platform::ListWhat(what);
}

FolderScan perform(const RemoteFolderRead& read)
{
    return readRemoteFolder(platform::MountTable::ofThisProcess(), read.path, read.hidden);
}

FolderScan perform(const RemoteLinksRead& read)
{
    return examineRemoteLinks(platform::MountTable::ofThisProcess(), read.folder, read.realFolder, read.links);
}

platform::FolderListing perform(const ListingRead& read)
{
    return platform::listFolder(read.folder, read.what, read.masks);
}

// A request names its read by its place here.
using Request = std::variant<RemoteFolderRead, RemoteLinksRead, ListingRead>;

void pack(QDataStream& out, const Request& request)
{
    out << qint32(request.index());
    std::visit([&out](const auto& read) { pack(out, read); }, request);
}

void unpack(QDataStream& in, Request& request)
{
    qint32 kind = -1;
    in >> kind;
    switch (kind) {
    case 0: unpack(in, request.emplace<0>()); return;
    case 1: unpack(in, request.emplace<1>()); return;
    case 2: unpack(in, request.emplace<2>()); return;
    }
    in.setStatus(QDataStream::ReadCorruptData);
}

// Nothing missing, nothing left over.
template <typename Value> bool unpackWhole(const QByteArray& bytes, Value& value)
{
    QDataStream in(bytes);
    unpack(in, value);
    return in.status() == QDataStream::Ok && in.atEnd();
}

constexpr char reader[] = "folder-read";

// The reader process: one request in, its read's result out.
int answerRead()
{
    Request request;
    if (!unpackWhole(platform::helperRequest(), request))
        return 2;
    QByteArray answer;
    QDataStream out(&answer, QIODevice::WriteOnly);
    std::visit([&out](const auto& read) { pack(out, perform(read)); }, request);
    return platform::giveHelperAnswer(answer) ? 0 : 1;
}

const platform::HelperRegistration readerRegistration(reader, answerRead);

template <typename Read> auto readInReader(const Read& read)
{
    if (!platform::servesHelpers())
        return perform(read);  // its main would not start a reader but the program
    QByteArray request;
    {
        QDataStream out(&request, QIODevice::WriteOnly);
        pack(out, Request(read));
    }
    decltype(perform(read)) result;
    const platform::HelperAnswer answer = platform::runHelper(reader, request);
    if (!answer.ok || !unpackWhole(answer.answer, result))
        failed(result);
    return result;
}

} // namespace

FolderScan readApart(const RemoteFolderRead& read)
{
    return readInReader(read);
}

FolderScan readApart(const RemoteLinksRead& read)
{
    return readInReader(read);
}

platform::FolderListing readApart(const ListingRead& read)
{
    return readInReader(read);
}

template <typename Result> FolderReads<Result>::~FolderReads() = default;

template <typename Result>
std::optional<Result> FolderReads<Result>::scan(const QString& folder, Work work, std::chrono::milliseconds wait)
{
    if (const auto kept = jobs_.constFind(folder); kept != jobs_.cend()) {
        const std::shared_ptr<Job> job = *kept;
        std::unique_lock lock(job->mutex);
        if (!job->done)
            return std::nullopt;
        const bool fresh = std::chrono::steady_clock::now() - job->endedAt < keptFor;
        Result result = std::move(job->result);
        lock.unlock();
        jobs_.remove(folder);
        if (fresh)
            return result;
    }
    auto job = std::make_shared<Job>();
    // Detached: a thread stuck in the kernel on a dead server cannot be stopped, only left.
    std::thread([job, work = std::move(work)] {
        Result result = work();
        {
            const std::lock_guard lock(job->mutex);
            job->result = std::move(result);
            job->done = true;
            job->endedAt = std::chrono::steady_clock::now();
        }
        job->ended.notify_all();
    }).detach();
    std::unique_lock lock(job->mutex);
    if (job->ended.wait_for(lock, wait, [&] { return job->done; }))
        return std::move(job->result);
    lock.unlock();
    jobs_.insert(folder, job);
    return std::nullopt;
}

template <typename Result> bool FolderReads<Result>::finished(const QString& folder) const
{
    const auto kept = jobs_.constFind(folder);
    if (kept == jobs_.cend())
        return false;
    const std::lock_guard lock((*kept)->mutex);
    return (*kept)->done;
}

template class FolderReads<FolderScan>;
template class FolderReads<platform::FolderListing>;
