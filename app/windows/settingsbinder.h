#pragma once

#include "app/settings/rotationsettings.h"

#include <QObject>

#include <functional>
#include <utility>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QStringListModel;

// Keeps controls and the fields of a rotation settings record in step: a change of a control
// writes its field and reports the change; refresh() shows every field in its control again.
class SettingsBinder : public QObject {
public:
    // Typed paths resolve against programFolder as it stands at each change (see bindPath).
    SettingsBinder(RotationSettings& settings, const QString& programFolder, std::function<void()> changed,
                   QObject* parent);

    void bind(QCheckBox* box, bool RotationSettings::*field);
    void bind(QSpinBox* spin, SpinValue RotationSettings::*field);
    void bind(QLineEdit* edit, QString RotationSettings::*field);
    void bind(QComboBox* combo, ListChoice RotationSettings::*field);
    void bind(QButtonGroup* group, ListChoice RotationSettings::*field);   // button ids are the entries
    // The text of an editable combo; its items are a list of suggestions.
    void bindEditText(QComboBox* combo, QString RotationSettings::*field);
    // A file path: the record holds the typed text resolved, so that a relative path lies in
    // the program folder whatever folder the program was started from.
    void bindPath(QLineEdit* edit, QString RotationSettings::*field);
    void bindEditPath(QComboBox* combo, QString RotationSettings::*field);
    // Two radio buttons over one switch.
    void bindRadioPair(QRadioButton* whenTrue, QRadioButton* whenFalse, bool RotationSettings::*field);
    // Radio buttons that each stand for one value of a field.
    template <typename T>
    void bindRadios(std::initializer_list<std::pair<QRadioButton*, T>> radios, T RotationSettings::*field);
    // A list of names to choose from. A stored name that is not in the list is added, so that it
    // stays selected and is saved back as it was.
    void bindNameList(QComboBox* combo, QString RotationSettings::*field);

    // Shows a control of one's own; it runs on every refresh.
    void addRefresher(std::function<void()> refresh) { refreshers_.push_back(std::move(refresh)); }
    void refresh();
    // True while controls are being set from the record: their changes are not the user's.
    bool refreshing() const { return refreshing_; }
    // Runs a change of controls that must not reach the record.
    void quietly(const std::function<void()>& change);

private:
    void bindLineEdit(QLineEdit* edit, QString RotationSettings::*field, bool isPath);
    void bindComboText(QComboBox* combo, QString RotationSettings::*field, bool isPath);
    QString entered(const QString& text, bool isPath) const;
    void radio(QRadioButton* button, std::function<bool()> isOn, std::function<void()> take);
    // Runs write (unless refreshing) and reports the change.
    void take(const std::function<void()>& write);

    RotationSettings& settings_;
    const QString& programFolder_;
    std::function<void()> changed_;
    std::vector<std::function<void()>> refreshers_;
    bool refreshing_ = false;
};

template <typename T>
void SettingsBinder::bindRadios(std::initializer_list<std::pair<QRadioButton*, T>> radios, T RotationSettings::*field)
{
    for (const auto& [button, value] : radios)
        radio(button, [this, field, value = value] { return settings_.*field == value; },
              [this, field, value = value] { settings_.*field = value; });
}

// Makes the list the combo's items. What the combo shows is the template in use, not an item,
// so it stays as it was when the whole list is replaced.
void showRecentTemplates(QComboBox& combo, QStringListModel& list);
