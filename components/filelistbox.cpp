#include "filelistbox.h"

#include "platform/mounttable.h"
#include "platform/paths.h"

#include <QKeyEvent>
#include <QSet>

namespace {

constexpr int answerPollMs = 250;

} // namespace

TFileListBox::TFileListBox(QWidget* parent, platform::MountWatcher* mounts)
    : QListWidget(parent),
      ownMounts_(mounts ? nullptr : std::make_unique<platform::ProcMountWatcher>()),
      mounts_(mounts ? mounts : ownMounts_.get())
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(this, &QListWidget::currentRowChanged, this, &TFileListBox::Change);
    answerTimer_.setInterval(answerPollMs);
    connect(&answerTimer_, &QTimer::timeout, this, &TFileListBox::takeAnswer);
}

TFileListBox::~TFileListBox() = default;

platform::FileOutcome TFileListBox::SetDirectory(const QString& folder)
{
    directory_ = platform::addTrailingSeparator(folder);
    return fill();
}

void TFileListBox::SetMask(const QString& mask)
{
    if (mask == mask_)
        return;
    mask_ = mask;
    fill();
}

platform::FileOutcome TFileListBox::Update()
{
    return fill();
}

platform::FileOutcome TFileListBox::fill()
{
    QSet<QString> selected;
    for (const QListWidgetItem* item : selectedItems())
        selected.insert(item->text());
    const QString current = currentItem() ? currentItem()->text() : QString();

    const platform::FolderListing listing = read();

    {
        const QSignalBlocker quiet(this);
        clear();
        addItems(listing.names);
        for (int row = 0; row < count(); ++row) {
            QListWidgetItem* entry = item(row);
            if (entry->text() == current)
                setCurrentRow(row, QItemSelectionModel::NoUpdate);
            entry->setSelected(selected.contains(entry->text()));
        }
    }
    emit Change();
    return listing.outcome;
}

// The folder's files as far as they can be had without waiting on a server; a worker reads
// the rest, and the list fills in when it has.
platform::FolderListing TFileListBox::read()
{
    answerTimer_.stop();
    if (directory_.isEmpty())
        return {};
    const QString folder = directory_;
    const QString masks = mask_ == QLatin1StringView("*.*") ? QString() : mask_;
    platform::FolderListing here;
    const platform::MountTable table = mounts_->table();
    if (const platform::MountTable::Reach reach = table.reach(folder); !reach.remote) {
        here = platform::listFolder(folder, platform::ListWhat::Files, masks,
                                    [&](const QString& name) { return table.reachFrom(reach.path, name).remote; });
        if (here.unexamined == 0)
            return here;
    }
    const auto whole = [read = ListingRead{folder, platform::ListWhat::Files, masks}] { return readApart(read); };
    if (std::optional<platform::FolderListing> answer = reads_.scan(folder, whole, std::chrono::milliseconds(0)))
        return std::move(*answer);
    answerTimer_.start();
    return here;
}

void TFileListBox::takeAnswer()
{
    if (!reads_.finished(directory_))
        return;
    fill();
    emit Answered();
}

QString TFileListBox::FilePath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? directory_ + entry->text() : QString();
}

QString TFileListBox::FileName() const
{
    return FilePath(currentRow());
}

QStringList TFileListBox::SelectedFiles() const
{
    QStringList files;
    for (int row = 0; row < count(); ++row) {
        if (item(row)->isSelected())
            files << FilePath(row);
    }
    return files;
}

QStringList TFileListBox::FileNames() const
{
    QStringList names;
    for (int row = 0; row < count(); ++row)
        names << item(row)->text();
    return names;
}

void TFileListBox::keyReleaseEvent(QKeyEvent* event)
{
    QListWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit KeyUp(event->key(), event->modifiers());
}
