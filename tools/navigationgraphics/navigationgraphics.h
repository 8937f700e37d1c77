#pragma once
// The sample navigation graphics shipped beside the programs: "Samples/Previous.gif" and
// "Samples/Next.gif" (the page buttons the main window offers at start) and "navgraph/
// Previous.gif", "Next.gif" and "Index.gif" (the page options' navigation images). Drawn pixel
// by pixel, so that every machine draws the same bytes, and written by the library's GIF writer.

#include <QString>
#include <QStringList>

#include <memory>

class TPixelGraphic;

// The file names, relative to the resources folder.
QStringList NavigationGraphicNames();
// One of them as an 8-bit palette image.
std::unique_ptr<TPixelGraphic> DrawNavigationGraphic(const QString& Name);
// Writes all of them under Folder (the library must be started).
void WriteNavigationGraphics(const QString& Folder);
