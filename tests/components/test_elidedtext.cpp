#include "components/elidedtext.h"

#include <QApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QPainter>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

const QString longName = QStringLiteral("A very long site name that a user typed for the holiday pictures of the family");

bool sendToolTip(QWidget* widget, QPoint at)
{
    QToolTip::hideText();
    (void)QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000); // best effort: only the new tip is checked
    QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    return QTest::qWaitFor([] { return QToolTip::isVisible(); }, 500);
}

TEST(ElidedLabel, CutsALongTextAndShowsItWholeInATooltip)
{
    QWidget window;
    auto* label = new ElidedLabel(&window);
    (new QVBoxLayout(&window))->addWidget(label);
    window.setFixedWidth(160);
    label->setText(longName);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // The label does not widen its window, keeps the whole text and paints it cut.
    EXPECT_EQ(window.width(), 160);
    EXPECT_EQ(label->text(), longName);
    EXPECT_TRUE(label->shownText().endsWith(QChar(0x2026)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->shownText()), label->width());
    ASSERT_TRUE(sendToolTip(label, {5, 5}));
    EXPECT_EQ(QToolTip::text(), longName);

    // A text that fits is shown as it is, without a tooltip.
    label->setText(QStringLiteral("Short"));
    EXPECT_EQ(label->shownText(), "Short");
    EXPECT_FALSE(sendToolTip(label, {5, 5}));
}

TEST(NamedRowDelegate, RowsPaintTheirNamesCutAndTellThemWhole)
{
    QListWidget list;
    const QStringList names{longName, QStringLiteral("Short")};
    QStringList painted;
    list.setItemDelegate(new NamedRowDelegate(
        [&](QPainter& painter, int row, const QRect& rect, bool) {
            painted.append(fitText(painter.fontMetrics(), names.value(row), rect.width()));
        },
        [&](int row) { return names.value(row); }, &list));
    list.addItems({"Site_1", "Site_2"});
    list.setFixedWidth(140);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ASSERT_TRUE(QTest::qWaitFor([&] { return painted.size() >= 2; }, 1000));
    EXPECT_TRUE(painted.contains("Short"));
    EXPECT_FALSE(painted.contains(longName));

    const QRect first = list.visualItemRect(list.item(0));
    ASSERT_TRUE(sendToolTip(list.viewport(), first.center()));
    EXPECT_EQ(QToolTip::text(), longName);
    EXPECT_FALSE(sendToolTip(list.viewport(), list.visualItemRect(list.item(1)).center()));
}

} // namespace
