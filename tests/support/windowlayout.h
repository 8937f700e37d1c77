#pragma once

#include <QStringList>

#include <functional>
#include <vector>

class QWidget;
class ScriptedDialogRunner;

// What a user would find wrong in a shown window at the current font, one line a finding:
// a widget that lies outside its window, two siblings that overlap, a caption or label whose
// text does not fit. Widgets made of parts (spin boxes, combo boxes, lists, tab bars, an
// embedded file dialog) are looked at as one.
QStringList layoutProblems(QWidget& window);

// The same for every page of the window's tab control, each finding after its tab's caption.
// With WINDOW_SHOTS set to a folder, each page is also saved there as a picture named after the
// window's caption (and its tab), to be looked at.
QStringList layoutProblemsOnEveryPage(QWidget& window);

// One window of a walk: the caption it must have and how the walk opens it.
struct WindowCase {
    QString caption;
    std::function<void()> open;
};

// Opens each window in turn through the scripted runner, which cancels it, and expects its
// caption and no layout problem on any of its pages.
void expectWindowsFit(ScriptedDialogRunner& dialogs, const std::vector<WindowCase>& cases);
