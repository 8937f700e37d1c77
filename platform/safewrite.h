#pragma once

#include "fileoutcome.h"
#include "stagedfile.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace platform {

// Every write that replaces a file goes through a temporary file in the target's folder, renamed
// over the target only after every write, flush, sync and close succeeded; success means the
// data and the new name are on the disk. A failure leaves the old file as it was, removes the
// temporary file and says why.

// A link at the path is written through: its target gets the new content (settings files
// follow their links). A file it replaces keeps its permissions.
FileOutcome writeFileAtomically(const QString& path, const QByteArray& data);

// Streams the content through a writer callback that returns false (with a reason) on failure.
FileOutcome writeFileAtomically(const QString& path,
                                const std::function<bool(QIODevice& out, QString& why)>& writer);

// The same for a file the program makes for the user (a built page, a thumbnail, a saved
// image): a link at the path is replaced by a file of its own and its target left alone, and
// a file the user may not write is not replaced (fails, as creating it would).
FileOutcome writeOutputFile(const QString& path, const QByteArray& data);
FileOutcome writeOutputFile(const QString& path, const std::function<bool(QIODevice& out, QString& why)>& writer);

// Writes the data beside the target and renames it over the target, like writeFileAtomically,
// but without forcing it to the disk first: for files whose loss in a system crash costs
// nothing (caches), written where a wait for the disk would be felt.
FileOutcome writeDisposableFile(const QString& path, const QByteArray& data);

// Copies source over destination; the destination never exists half-written. The copy takes
// the destination's directory entry: a symbolic link there is replaced, never written through.
// A file it replaces keeps its permissions; a new one gets those the mode gives.
FileOutcome copyFileAtomically(const QString& source, const QString& destination,
                               NewFileMode mode = NewFileMode::Usual);

// Renames without ever replacing an existing file at the new name (fails instead).
FileOutcome renameNoReplace(const QString& from, const QString& to);

// Gives an existing file a second name (a hard link), never replacing what has that name.
FileOutcome linkNoReplace(const QString& existing, const QString& newName);

// Copies source to destination through a temporary file in the destination's folder, renamed
// into place without ever replacing an existing file at that name (fails instead). The copy
// has the source's permissions.
FileOutcome copyFileNoReplace(const QString& source, const QString& destination);

// Removes a plain file (not a folder); a missing file is a failure with its reason.
FileOutcome removeFile(const QString& path);

} // namespace platform
