#pragma once

#include "fileoutcome.h"
#include "stagedfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/types.h>

namespace platform {

// Copies many files so that each is durable without a sync of its own: every file is copied to
// a staged file beside its destination first, one sync per file system makes them all durable,
// then each is renamed over its destination in the order the caller chooses. Until then nothing
// shows under a destination's name; staged files not placed are removed with the batch.
class CopyBatch {
public:
    explicit CopyBatch(NewFileMode mode = NewFileMode::Usual) : mode_(mode) {}
    ~CopyBatch();
    CopyBatch(const CopyBatch&) = delete;
    CopyBatch& operator=(const CopyBatch&) = delete;

    // Copies source into a staged file beside destination; index is its number in the batch.
    FileOutcome stage(const QString& source, const QString& destination, int& index);
    int size() const { return int(entries_.size()); }

    // One sync of each file system that holds staged files. On failure every staged file goes.
    FileOutcome sync();
    // Renames staged file index over its destination.
    FileOutcome place(int index);
    // Makes the new names durable: one sync per folder that received files.
    FileOutcome syncFolders();

private:
    struct Entry {
        QString destination;
        QByteArray staged;  // empty once placed or discarded
        dev_t device = 0;
    };
    void discardAll();

    NewFileMode mode_;
    QList<Entry> entries_;
    QList<QByteArray> placedFolders_;
};

} // namespace platform
