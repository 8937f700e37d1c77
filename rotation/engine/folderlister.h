#pragma once

#include "platform/folderlisting.h"

#include <QString>
#include <QStringList>

#include <functional>

class ProblemReport;

// The engine's folder lister: the plain files of one folder (no sub-folders, no hidden files),
// sorted by name without regard to case. A folder that cannot be listed leaves the list empty,
// never with the names of an earlier folder, and is reported in the log (and in a box while the
// user works at the window).
class FolderLister {
public:
    using ListFunction = std::function<platform::FolderListing(const QString& folder)>;

    explicit FolderLister(ProblemReport& report, ListFunction list = nullptr);

    // Lists a folder (the edtrotationdirectory change); false when it could not be listed.
    // A folder whose path was not valid text is not listed at all.
    bool setFolder(const QString& folder);
    // Reports a folder that cannot be entered, as a failed listing does.
    void reportUnreachable(const QString& folder);
    const QString& folder() const { return folder_; }
    const QStringList& files() const { return files_; }

private:
    ProblemReport& report_;
    ListFunction list_;
    QString folder_;
    QStringList files_;
};
