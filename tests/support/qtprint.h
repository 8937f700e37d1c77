#pragma once
// Readable gtest output for Qt values; included into every test.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << '"' << b.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << '}';
}

// QTest's own checks report to nobody outside a QTest run, so a wait that timed out returned
// quietly and the test passed. These waits fail through gtest instead.
#include <QTest>
#include <gtest/gtest.h>

#undef QTRY_VERIFY_WITH_TIMEOUT
#define QTRY_VERIFY_WITH_TIMEOUT(expr, timeout) \
    do { \
        ASSERT_TRUE(QTest::qWaitFor([&] { return bool(expr); }, timeout)) << "waited for: " #expr; \
    } while (false)
#undef QTRY_COMPARE_WITH_TIMEOUT
#define QTRY_COMPARE_WITH_TIMEOUT(expr, expected, timeout) \
    do { \
        (void)QTest::qWaitFor([&] { return (expr) == (expected); }, timeout); \
        ASSERT_EQ(expr, expected) << "waited " << (timeout) << " ms"; \
    } while (false)
