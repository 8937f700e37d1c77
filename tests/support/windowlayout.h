#pragma once

#include <QStringList>

class QWidget;

// What a user would find wrong in a shown window at the current font, one line a finding:
// a widget that lies outside its window, two siblings that overlap, a caption or label whose
// text does not fit. Widgets made of parts (spin boxes, combo boxes, lists, tab bars) are
// looked at as one.
QStringList layoutProblems(QWidget& window);
