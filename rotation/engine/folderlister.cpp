#include "folderlister.h"

#include "problemreport.h"

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
    platform::FolderListing listing = list_(folder);
    if (!listing.outcome) {
        files_.clear();
        report_.reportWithLogLine(QStringLiteral("Error encountered changing to the directory, ") + folder + QStringLiteral("!"));
        return false;
    }
    files_ = std::move(listing.names);
    return true;
}
