#include "platform/filemask.h"

#include <gtest/gtest.h>

using platform::FileMask;

namespace {

TEST(FileMask, Table)
{
    struct Case { const char* masks; const char* name; bool expected; } cases[] = {
        {"*.gif;*.jpe;*.jpg", "photo.JPG", true},
        {"*.gif;*.jpe;*.jpg", "photo.jpeg", true},   // three-letter pattern takes ".jpeg"
        {"*.tif", "scan.TIFF", true},
        {"*.htm", "index.html", true},
        {"*.htm", "index.ht", false},
        {"*.html", "index.htm", false},
        {"*.gif", "anim.gifx", true},                 // short-name rule, as on the old platform
        {"*.gif", "anim.gi", false},
        {"*.gif", "gif", false},
        {"*.*", "README", false},
        {"*.*", "a.b", true},
        {"*", "anything.at.all", true},
        {"a?c.txt", "ABC.TXT", true},
        {"a?c.txt", "ac.txt", false},
        {"*a*b*c", "xxaxxbxxcxxc", true},
        {"*a*b*c", "xxaxxbxx", false},
        {"", "x.gif", false},
        {" *.png ; *.bmp ", "x.BMP", true},
        {"*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;",
         "holiday.Jpeg", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileMask(c.masks).matches(c.name), c.expected) << c.masks << " vs " << c.name;
}

TEST(FileMask, ManyStarsDoNotBlowUp)
{
    const QString pattern = QString("*a").repeated(30) + "b";
    const QString name = QString("a").repeated(5000);
    EXPECT_FALSE(platform::wildcardMatch(pattern, name));
}

} // namespace
