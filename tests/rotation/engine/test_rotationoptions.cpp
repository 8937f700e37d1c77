#include "tempfolder.h"
#include "rotation/engine/rotationoptions.h"

#include <gtest/gtest.h>

namespace {

TEST(RotationOptions, MissingFileGivesTheDefaults)
{
    TempFolder prog;
    const RotationOptions o = loadRotationOptions(prog.path());
    EXPECT_EQ(o.MailFrom, QString(defaultMailFrom));
    EXPECT_EQ(o.MailTo, QString());
    EXPECT_EQ(o.MailUserID, QString());
    EXPECT_EQ(o.MailPort, QString("25"));
    EXPECT_EQ(o.MailHost, QString());
    EXPECT_EQ(o.LogFileName, prog.file("log.txt"));
    EXPECT_TRUE(o.LogOnlyErrors);
    EXPECT_TRUE(o.Logging);
    EXPECT_FALSE(o.CreateBackups);
    EXPECT_FALSE(o.EmailLog);
    EXPECT_TRUE(o.EmailOnlyErrors);
}

TEST(RotationOptions, FlagsFollowTheirDefaults)
{
    // Keys whose default is true are off only for "FALSE"; the others are on only for "TRUE".
    const struct {
        const char* text;
        bool defaultOn;   // LogOnlyErrors, Logging, EmailOnlyErrors
        bool defaultOff;  // CreateBackups, EmailLog
    } cases[] = {
        {"True", true, true}, {"TRUE", true, true}, {"true", true, true},
        {"False", false, false}, {"fAlSe", false, false},
        {"", true, false}, {"1", true, false}, {"Yes", true, false}, {"\"False\"", false, false},
    };
    for (const auto& c : cases) {
        TempFolder prog;
        QByteArray text = "[Options]\r\n";
        for (const char* key : {"LogOnlyErrors", "Logging", "EmailOnlyErrors", "CreateBackups", "EmailLog"})
            text += QByteArray(key) + "=" + c.text + "\r\n";
        prog.write("options.ini", text);
        const RotationOptions o = loadRotationOptions(prog.path());
        EXPECT_EQ(o.LogOnlyErrors, c.defaultOn) << c.text;
        EXPECT_EQ(o.Logging, c.defaultOn) << c.text;
        EXPECT_EQ(o.EmailOnlyErrors, c.defaultOn) << c.text;
        EXPECT_EQ(o.CreateBackups, c.defaultOff) << c.text;
        EXPECT_EQ(o.EmailLog, c.defaultOff) << c.text;
    }
}

TEST(RotationOptions, TextsAreReadAsTheyStand)
{
    TempFolder prog;
    prog.write("options.ini", "[options]\r\nmailhost= smtp.example.org \r\nMailPort=25x\r\nMailTo=\r\n"
                              "LogFileName=%/logs/run.txt\r\nMailFrom=a@b.c\r\nMailUserID=me\r\n");
    const RotationOptions o = loadRotationOptions(prog.path());
    EXPECT_EQ(o.MailHost, QString("smtp.example.org"));
    EXPECT_EQ(o.MailPort, QString("25x"));
    EXPECT_EQ(o.MailTo, QString());  // present and empty: no default
    EXPECT_EQ(o.LogFileName, QString("%/logs/run.txt"));
    EXPECT_EQ(o.MailFrom, QString("a@b.c"));
    EXPECT_EQ(o.MailUserID, QString("me"));
}

TEST(RotationOptions, SaveWritesElevenKeysInOrderAndKeepsPictorumsKeys)
{
    TempFolder prog;
    prog.write("options.ini", "[Options]\r\nDefaultJPEGCompression=75\r\nMailHost=old.example.org\r\n"
                              "UseRotations=True\r\n\r\n[Recent]\r\nx=1\r\n");
    RotationOptions o;
    o.MailFrom = "rotation@example.org";
    o.MailTo = "Admin <admin@example.org>";
    o.MailUserID = "";
    o.MailPort = "2525";
    o.MailHost = "smtp.example.org";
    o.LogFileName = "/var/log/turnfold.txt";
    o.LogOnlyErrors = false;
    o.Logging = true;
    o.CreateBackups = true;
    o.EmailLog = true;
    o.EmailOnlyErrors = false;
    ASSERT_TRUE(saveRotationOptions(prog.path(), o));
    EXPECT_EQ(prog.read("options.ini"), QByteArray("[Options]\r\n"
                                                   "DefaultJPEGCompression=75\r\n"
                                                   "MailHost=smtp.example.org\r\n"
                                                   "UseRotations=True\r\n"
                                                   "MailFrom=rotation@example.org\r\n"
                                                   "MailTo=Admin <admin@example.org>\r\n"
                                                   "MailUserID=\r\n"
                                                   "MailPort=2525\r\n"
                                                   "LogFileName=/var/log/turnfold.txt\r\n"
                                                   "LogOnlyErrors=False\r\n"
                                                   "Logging=True\r\n"
                                                   "EmailLog=True\r\n"
                                                   "CreateBackups=True\r\n"
                                                   "EmailOnlyErrors=False\r\n"
                                                   "\r\n"
                                                   "[Recent]\r\n"
                                                   "x=1\r\n"));
    const RotationOptions back = loadRotationOptions(prog.path());
    EXPECT_EQ(back.MailTo, o.MailTo);
    EXPECT_EQ(back.MailPort, o.MailPort);
    EXPECT_EQ(back.CreateBackups, true);
    EXPECT_EQ(back.EmailOnlyErrors, false);
}

TEST(RotationOptions, SaveFailureIsReportedAndChangesNothing)
{
    TempFolder prog;
    prog.write("options.ini/keep", "a folder stands where the file should be");
    EXPECT_FALSE(saveRotationOptions(prog.path(), RotationOptions{}));
    EXPECT_EQ(prog.read("options.ini/keep"), QByteArray("a folder stands where the file should be"));
}

} // namespace
