#include "tempfolder.h"
#include "app/site/programoptions.h"

#include "platform/inifile.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    QByteArray file;
    int jpeg;
    int maxLength;
    bool thumbs;
    bool lower;
    bool rotations;
};

TEST(ProgramOptions, LoadTable)
{
    const Case cases[] = {
        {"missing file", "", 80, 15, true, false, false},
        {"all set", "[Options]\r\nDefaultJPEGCompression=65\r\nUseThumbsDirectory=False\r\nForceLowercase=True\r\n"
                    "MaxFilenameLength=999\r\nUseRotations=TRUE\r\n", 65, 999, false, true, true},
        {"bad numbers", "[Options]\r\nDefaultJPEGCompression=abc\r\nMaxFilenameLength=long\r\n", 80, 17, true, false, false},
        {"quality clamped high", "[Options]\r\nDefaultJPEGCompression=250\r\n", 100, 15, true, false, false},
        {"quality clamped low", "[Options]\r\nDefaultJPEGCompression=0\r\n", 1, 15, true, false, false},
        {"thumbs any text but FALSE", "[Options]\r\nUseThumbsDirectory=no\r\n", 80, 15, true, false, false},
        {"thumbs false any case", "[Options]\r\nUseThumbsDirectory=fAlSe\r\n", 80, 15, false, false, false},
        {"lowercase any text but TRUE", "[Options]\r\nForceLowercase=yes\r\nUseRotations=1\r\n", 80, 15, true, false, false},
        {"limit 100 kept", "[Options]\r\nMaxFilenameLength=100\r\n", 80, 100, true, false, false},
        {"numbers past 32 bits are no numbers", "[Options]\r\nDefaultJPEGCompression=4294967376\r\n"
                                                "MaxFilenameLength=4294967311\r\n", 80, 17, true, false, false},
        {"limit kept in 16 bits", "[Options]\r\nMaxFilenameLength=70000\r\n", 80, 32767, true, false, false},
        {"negative limit", "[Options]\r\nMaxFilenameLength=-5\r\n", 80, 0, true, false, false},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        if (!c.file.isEmpty())
            dir.write("options.ini", c.file);
        const ProgramOptions o = loadProgramOptions(platform::IniFile(dir.file("options.ini")));
        EXPECT_EQ(o.DefaultJPEGCompression, c.jpeg) << c.name;
        EXPECT_EQ(o.MaxFilenameLength, c.maxLength) << c.name;
        EXPECT_EQ(o.UseThumbsDirectory, c.thumbs) << c.name;
        EXPECT_EQ(o.ForceLowercase, c.lower) << c.name;
        EXPECT_EQ(o.UseRotations, c.rotations) << c.name;
    }
}

TEST(ProgramOptions, SaveWritesFiveKeysInOrderAndKeepsTheRotationToolsKeys)
{
    TempFolder dir;
    dir.write("options.ini", "[Options]\r\nMailHost=smtp.example\r\nUseRotations=False\r\nLogging=True\r\n");
    platform::IniFile file(dir.file("options.ini"));
    ProgramOptions o;
    o.DefaultJPEGCompression = 90;
    o.MaxFilenameLength = 999;
    o.UseRotations = true;
    ASSERT_TRUE(saveProgramOptions(file, o));
    EXPECT_EQ(dir.read("options.ini"),
              QByteArray("[Options]\r\nMailHost=smtp.example\r\nUseRotations=True\r\nLogging=True\r\n"
                         "DefaultJPEGCompression=90\r\nUseThumbsDirectory=True\r\nForceLowercase=False\r\n"
                         "MaxFilenameLength=999\r\n"));
}

TEST(ProgramOptions, SaveToFreshFileUsesTheFixedOrder)
{
    TempFolder dir;
    platform::IniFile file(dir.file("options.ini"));
    ASSERT_TRUE(saveProgramOptions(file, ProgramOptions{}));
    EXPECT_EQ(dir.read("options.ini"),
              QByteArray("[Options]\r\nDefaultJPEGCompression=80\r\nUseThumbsDirectory=True\r\nForceLowercase=False\r\n"
                         "MaxFilenameLength=15\r\nUseRotations=False\r\n"));
}

} // namespace
