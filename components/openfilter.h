#pragma once
// The filter text of the open dialogs, "Description|*.a; *.b|Description|*.c", as the file
// dialog's type box shows it and as names are matched against it.

#include "platform/filemask.h"

#include <QList>
#include <QString>
#include <QStringList>

struct OpenFilterEntry {
    QString Description;
    QStringList Patterns; // trimmed, none empty; "*.*" is "*"
    // "Description (*.a *.b)": the text of the file dialog's type box.
    QString NameFilter() const;
    // The platform's matching of names (any letter case; "*.tif" takes ".tiff").
    platform::FileMask Mask() const;
};

// The entries of a filter text in order; entries without a pattern are left out.
QList<OpenFilterEntry> ParseOpenFilter(const QString& Filter);
