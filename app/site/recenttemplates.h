#pragma once

#include "platform/fileoutcome.h"

#include <QString>
#include <QStringList>

#include <optional>

// The recent template lists: one template path a line.
std::optional<QStringList> readRecentTemplates(const QString& file);  // nothing when the file is missing
platform::FileOutcome writeRecentTemplates(const QString& file, const QStringList& paths);
