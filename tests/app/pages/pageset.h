#pragma once

#include "app/pages/pagegen.h"

#include <QString>

// Writes a rotation's pages in the order a build makes them: the image pages (when wanted)
// page by page, then, with the header and footer lists restarted, the thumbnail pages.
// pageCount only counts for a site without thumbnails. Gives false at the first failed page.
inline bool writePageSet(PageGenerator& g, const QString& folder, int pageCount = 0)
{
    const PageInputs& in = g.inputs();
    const int perPage = g.thumbnailsPerPage();
    const int pages = in.withoutThumbnails ? pageCount : thumbnailPageCount(g.imageCount(), perPage);
    g.restartHeaderFooterLists();
    if (in.settings.rdbHTMLImageWindow && !in.withoutThumbnails) {
        for (int p = 1; p <= pages; ++p) {
            const QString index = g.indexText(p, pages, true);
            for (int i = (p - 1) * perPage; i < p * perPage && i < g.imageCount(); ++i)
                if (!g.createHTMLImagepage(folder + g.imagePageName(in.images.at(i)), i, index, p))
                    return false;
        }
    }
    g.restartHeaderFooterLists();
    for (int p = 1; p <= pages; ++p) {
        const QString index = g.indexText(p, pages, false);
        if (!g.createHTMLThumbpage(folder + g.gethtmlpagename(p), p, index, (p - 1) * perPage, pages))
            return false;
    }
    return true;
}
