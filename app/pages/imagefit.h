#pragma once

#include <QSize>
#include <QString>

// The size of a W x H image fitted into a maxW x maxH box, keeping its aspect ratio and never
// enlarging it: unchanged when the box is larger both ways; otherwise the limiting side takes
// the box's size exactly and the other side is scaled by integer arithmetic, truncating (but
// never below one pixel).
QSize calculatedimensions(int W, int H, int maxW, int maxH);

// The thumbnail file of an image: its path without the extension + "_thb.jpg".
QString GetThumbnailName(const QString& imagePath);

// The file name of the page-number button of page n: "Page_Button_On_" + n for the current
// page's button, "Page_Button_" + n for the others, then the extension given.
QString GetPageButtonName(int n, bool current, const QString& extension = QString());
