#pragma once

#include "folderscans.h"

#include "platform/fileoutcome.h"
#include "platform/folderlisting.h"

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace platform {
class MountWatcher;
}

// A list of the plain files of one folder that match a mask, by name only, in the listing order
// of the platform layer. Hidden files and folders are not listed. A folder on a remote file
// system (or one whose entries lead into one) is read on a worker: the list shows what it
// could read here (nothing, for a remote folder) until the worker answers, then fills in.
class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    // The mounts default to the process's own.
    explicit TFileListBox(QWidget* parent = nullptr, platform::MountWatcher* mounts = nullptr);
    ~TFileListBox() override;

    // The folder shown, with one trailing "/"; "" before the first one is set.
    const QString& Directory() const { return directory_; }
    // Shows the files of the folder. A folder that cannot be read leaves the list empty; the
    // folder is kept either way, so that Update reads it again.
    platform::FileOutcome SetDirectory(const QString& folder);

    // Masks such as "*.gif;*.jpe;*.jpg"; "*.*" (the default) lists every file.
    const QString& Mask() const { return mask_; }
    void SetMask(const QString& mask);

    // Reads the folder again, keeping the selection of names that are still there.
    platform::FileOutcome Update();

    // The full path of the file in a row, of the current row, of the selected rows (list order).
    QString FilePath(int row) const;
    QString FileName() const;
    QStringList SelectedFiles() const;
    QStringList FileNames() const;

signals:
    // After every fill and every change of the current row.
    void Change();
    // After a fill with what a worker read, which came after the folder was set or updated.
    void Answered();
    // A key was released over the list.
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    platform::FileOutcome fill();
    platform::FolderListing read();
    void takeAnswer();

    std::unique_ptr<platform::MountWatcher> ownMounts_;
    platform::MountWatcher* mounts_;
    FolderListings reads_;
    QTimer answerTimer_;  // asks whether the worker's read of the folder shown has ended
    QString directory_;
    QString mask_ = QStringLiteral("*.*");
};
