#pragma once

#include <QString>

// The current site: filled from the site's [General] section when it is selected.
struct tsiterecord {
    QString SiteKey;              // empty: no site selected
    QString Name;
    QString Path;                 // the site folder, expanded, with a trailing separator after loading
    QString LivePath;             // folder the rotation tool copies into
    bool AutoRotate = false;
    int CurrentRotationPosition = 1;
    int RotationCount = 0;
    QString BaseHTMLName;
};
