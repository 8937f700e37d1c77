#pragma once

#include "platform/fileoutcome.h"

#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;

// The recent template lists: one template path a line.
std::optional<QStringList> readRecentTemplates(const QString& file);  // nothing when the file is missing
platform::FileOutcome writeRecentTemplates(const QString& file, const QStringList& paths);

// Makes the items the combo's recent list. What the combo shows is the template in use, not
// an item, so it stays as it was.
void setRecentTemplates(QComboBox& combo, const QStringList& paths);
