#pragma once
// Helpers of the imaging tests.

#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>
#include <QByteArray>

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
