#include "windowlayout.h"

#include "fakes.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QDir>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

// Room a title bar takes beside the caption: the icon and the window's buttons.
constexpr int captionAllowance = 120;

QString nameOf(const QWidget* widget)
{
    QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                   : widget->objectName();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget); button && !button->text().isEmpty())
        name += QStringLiteral(" \"%1\"").arg(button->text());
    else if (const auto* label = qobject_cast<const QLabel*>(widget); label && !label->text().isEmpty())
        name += QStringLiteral(" \"%1\"").arg(label->text().left(40));
    return name;
}

bool madeOfParts(const QWidget* widget)
{
    return qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget)
           || qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const QTabBar*>(widget)
           || qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QFileDialog*>(widget);
}

// A text that its widget cuts: buttons narrower than their caption, one-line labels narrower
// than their text, wrapped labels lower than their lines.
bool textCut(const QWidget* widget)
{
    if (qobject_cast<const QAbstractButton*>(widget))
        return widget->width() < widget->sizeHint().width() || widget->height() < widget->minimumSizeHint().height();
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (!label || label->text().isEmpty())
        return false;
    if (label->wordWrap())
        return label->height() < label->heightForWidth(label->width());
    // A label that the layout may narrow cuts its own text with an ellipsis.
    if (label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored)
        return false;
    return label->width() < label->sizeHint().width() || label->height() < label->fontMetrics().height();
}

void walk(const QWidget& window, const QWidget& parent, QStringList& problems)
{
    QList<const QWidget*> children;
    for (const QObject* object : parent.children()) {
        const auto* child = qobject_cast<const QWidget*>(object);
        if (child && !child->isWindow() && child->isVisibleTo(&window))
            children.append(child);
    }
    for (const QWidget* child : children) {
        if (const auto* tabs = qobject_cast<const QTabBar*>(child); tabs && tabs->count() > 0
            && tabs->tabRect(tabs->count() - 1).right() >= tabs->width())
            problems.append(nameOf(child) + QStringLiteral(" cannot show all its tabs at once"));
        const QRect inWindow(child->mapTo(&window, QPoint(0, 0)), child->size());
        if (!window.rect().contains(inWindow))
            problems.append(nameOf(child) + QStringLiteral(" lies outside its window"));
        if (textCut(child))
            problems.append(nameOf(child) + QStringLiteral(" does not show its whole text"));
    }
    for (qsizetype i = 0; i < children.size(); ++i)
        for (qsizetype j = i + 1; j < children.size(); ++j)
            if (children[i]->geometry().intersects(children[j]->geometry()))
                problems.append(nameOf(children[i]) + QStringLiteral(" overlaps ") + nameOf(children[j]));
    for (const QWidget* child : children)
        if (!madeOfParts(child))
            walk(window, *child, problems);
}

void saveShot(QWidget& window, const QString& page)
{
    const QString folder = qEnvironmentVariable("WINDOW_SHOTS");
    if (folder.isEmpty())
        return;
    QString name = window.windowTitle() + (page.isEmpty() ? QString() : QStringLiteral(" - ") + page);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    QDir().mkpath(folder);
    window.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

QStringList layoutProblems(QWidget& window)
{
    QStringList problems;
    const QFontMetrics metrics(window.font());
    if (window.width() < metrics.horizontalAdvance(window.windowTitle()) + captionAllowance)
        problems.append(QStringLiteral("the window is narrower than its caption"));
    walk(window, window, problems);
    return problems;
}

QStringList layoutProblemsOnEveryPage(QWidget& window)
{
    QTabWidget* tabs = nullptr;
    for (QTabWidget* found : window.findChildren<QTabWidget*>())
        if (found->window() == &window && !tabs)
            tabs = found;
    if (!tabs) {
        saveShot(window, QString());
        return layoutProblems(window);
    }
    QStringList problems;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        saveShot(window, tabs->tabText(i));
        for (const QString& problem : layoutProblems(window))
            problems.append(tabs->tabText(i) + QStringLiteral(": ") + problem);
    }
    tabs->setCurrentIndex(0);
    return problems;
}

void expectWindowsFit(ScriptedDialogRunner& dialogs, const std::vector<WindowCase>& cases)
{
    const qsizetype shownBefore = dialogs.shown.size();
    for (const WindowCase& window : cases) {
        QString caption;
        QStringList problems;
        dialogs.script([&](QDialog& dialog) {
            caption = dialog.windowTitle();
            problems = layoutProblemsOnEveryPage(dialog);
            return platform::mrCancel;
        });
        window.open();
        EXPECT_EQ(caption, window.caption);
        EXPECT_EQ(problems, QStringList()) << window.caption.toStdString();
    }
    EXPECT_EQ(dialogs.shown.size() - shownBefore, qsizetype(cases.size()));
}
