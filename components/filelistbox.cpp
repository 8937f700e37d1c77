#include "filelistbox.h"

#include "platform/folderlisting.h"
#include "platform/paths.h"

#include <QKeyEvent>
#include <QSet>

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(this, &QListWidget::currentRowChanged, this, &TFileListBox::Change);
}

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

    platform::FolderListing listing;
    if (!directory_.isEmpty()) {
        const QString masks = mask_ == QLatin1StringView("*.*") ? QString() : mask_;
        listing = platform::listFolder(directory_, platform::ListWhat::Files, masks);
    }

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
