#pragma once

#include "platform/fileoutcome.h"

#include <QString>
#include <QStringList>
#include <QStringListModel>

#include <optional>

// A recent-template list file: one template path a line.
std::optional<QStringList> readRecentTemplates(const QString& file);  // nothing when the file is missing
platform::FileOutcome writeRecentTemplates(const QString& file, const QStringList& paths);

// The two recent-template lists: the index-page templates the site editor's template box shows
// and the image-page templates the page options' box shows. The boxes show these models
// themselves, so each window adds to its list and the main window loads and saves both.
class RecentTemplates {
public:
    RecentTemplates() = default;

    QStringListModel index;   // "recent_styles.txt"
    QStringListModel images;  // "recent_image_styles.txt"

    // Each list whose file is there takes its lines; a missing file leaves its list alone.
    void load(const QString& programFolder);
    // Writes the image list, then the index list; an empty list leaves its file as it was.
    // Both are tried; the first failure is returned.
    platform::FileOutcome save(const QString& programFolder) const;
};
