#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>

// The hand-over record a later copy of a program sends to the first copy: fixed size, little
// endian.
//   offset 0            4 bytes   process id of the sender (signed)
//   offset 4            4 bytes   number of parameters, 0 to 10 (signed)
//   offset 8 + 301 * i  301 bytes parameter i + 1: UTF-8, at most 300 bytes, then zero bytes
inline constexpr std::size_t InstanceRecordSize = 3018;
inline constexpr int InstanceRecordMaxParameters = 10;
inline constexpr int InstanceRecordSlotSize = 301;
inline constexpr int InstanceRecordMaxParameterBytes = 300;

struct InstanceRecord {
    std::int32_t senderPid = 0;
    QStringList parameters;
};

// The first 10 parameters, each cut to 300 bytes at a character boundary.
QByteArray encodeInstanceRecord(const InstanceRecord& record);

// Reads a record from what a peer sent. Too few bytes give nothing; bytes past the record are
// never looked at. The count is clamped to 0..10 and a slot without its zero byte is read as
// its first 300 bytes.
std::optional<InstanceRecord> decodeInstanceRecord(QByteArrayView bytes);

// The UTF-8 form of text, cut to at most maxBytes without splitting a character.
QByteArray utf8Prefix(const QString& text, int maxBytes);
