#pragma once
// Helpers of the imaging tests.

#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QStringList>

#include <functional>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

// Asserts that a statement raises the given library exception with exactly this text.
#define EXPECT_PG_THROW(statement, Class, text)                                                    \
    do {                                                                                           \
        try {                                                                                      \
            statement;                                                                             \
            ADD_FAILURE() << "no exception from " #statement;                                      \
        } catch (const Class& e) {                                                                 \
            EXPECT_EQ(e.Message(), QString(text));                                                 \
        }                                                                                          \
    } while (0)

// Each test runs with the library started (settings at their defaults) and stopped after.
class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { InitPGraphic(); }
    void TearDown() override { DonePGraphic(); }
};

inline QByteArray SaveAs(TPixelGraphic& Image, const QString& Extension)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Image.SaveToStreamAs(buffer, Extension);
    return buffer.data();
}

inline void LoadBytes(TPixelGraphic& Image, const QByteArray& Bytes, const QString& Extension = {})
{
    QBuffer buffer;
    buffer.setData(Bytes);
    buffer.open(QIODevice::ReadOnly);
    Image.LoadFromStreamIndex(buffer, Extension, 0);
}

// Loads each damaged file of Folder matching Pattern: the files there are exactly Expected's
// names, and each fails with its text ("" for damage the decoder clips: the file loads). Then
// AlsoEach, when given, runs on the file's path.
inline void ExpectCrashersFailCleanly(const QString& Folder, const QString& Pattern, const QMap<QString, QString>& Expected,
                                      TWarningAction Action, const std::function<void(const QString& Path)>& AlsoEach = {})
{
    const QDir folder(Folder);
    const QStringList files = folder.entryList({Pattern}, QDir::Files, QDir::Name);
    EXPECT_EQ(QStringList(Expected.keys()), files);
    for (const QString& name : files) {
        TPixelGraphic image;
        image.SetWarningAction(Action);
        try {
            image.LoadFromFile(folder.filePath(name));
            EXPECT_EQ(Expected.value(name), "") << name.toStdString();
        } catch (const EPixelGraphic& e) {
            EXPECT_EQ(e.Message(), Expected.value(name)) << name.toStdString();
        }
        if (AlsoEach)
            AlsoEach(folder.filePath(name));
    }
}

// Bytes written as hex digits, spaces allowed: hex("424D 3A00").
inline QByteArray hex(const char* Text)
{
    return QByteArray::fromHex(Text);
}

// Image row Y's raw values (indices or colours), left to right.
inline std::vector<std::uint32_t> rowValues(TPixelGraphic& Image, int Y)
{
    std::vector<std::uint32_t> values;
    for (int x = 0; x < Image.Width(); ++x)
        values.push_back(Image.GetPixel(x, Y));
    return values;
}
