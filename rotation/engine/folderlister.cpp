#include "folderlister.h"

#include "problemreport.h"

#include "platform/paths.h"

FolderLister::FolderLister(ProblemReport& report, ListFunction list)
    : report_(report)
    , list_(list ? std::move(list) : ListFunction([](const QString& folder) {
          return platform::listFolder(folder, platform::ListWhat::Files);
      }))
{
}

bool FolderLister::setFolder(const QString& folder)
{
    folder_ = folder;
    files_.clear();
    platform::FolderListing listing = list_(folder);
    if (!listing.outcome) {
        reportUnreachable(folder);
        return false;
    }
    files_ = std::move(listing.names);
    return true;
}

void FolderLister::reportUnreachable(const QString& folder)
{
    report_.reportWithLogLine(QStringLiteral("Error encountered changing to the directory, ") + folder + QStringLiteral("!"));
}
