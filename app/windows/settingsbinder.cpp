#include "settingsbinder.h"

#include "platform/paths.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringListModel>

#include <memory>

SettingsBinder::SettingsBinder(RotationSettings& settings, const QString& programFolder,
                               std::function<void()> changed, QObject* parent)
    : QObject(parent)
    , settings_(settings)
    , programFolder_(programFolder)
    , changed_(std::move(changed))
{
}

void SettingsBinder::take(const std::function<void()>& write)
{
    if (refreshing_)
        return;
    write();
    changed_();
}

void SettingsBinder::refresh()
{
    refreshing_ = true;
    for (const auto& show : refreshers_)
        show();
    refreshing_ = false;
}

void SettingsBinder::quietly(const std::function<void()>& change)
{
    const bool was = refreshing_;
    refreshing_ = true;
    change();
    refreshing_ = was;
}

void SettingsBinder::bind(QCheckBox* box, bool RotationSettings::*field)
{
    addRefresher([this, box, field] { box->setChecked(settings_.*field); });
    connect(box, &QCheckBox::toggled, this, [this, field](bool checked) { take([&] { settings_.*field = checked; }); });
}

void SettingsBinder::bind(QSpinBox* spin, SpinValue RotationSettings::*field)
{
    addRefresher([this, spin, field] { spin->setValue((settings_.*field).value()); });
    connect(spin, &QSpinBox::valueChanged, this,
            [this, field](int value) { take([&] { (settings_.*field).setValue(value); }); });
}

QString SettingsBinder::entered(const QString& text, bool isPath) const
{
    return isPath ? platform::resolvepath(text, programFolder_) : text;
}

void SettingsBinder::bind(QLineEdit* edit, QString RotationSettings::*field)
{
    bindLineEdit(edit, field, false);
}

void SettingsBinder::bindPath(QLineEdit* edit, QString RotationSettings::*field)
{
    bindLineEdit(edit, field, true);
}

void SettingsBinder::bindLineEdit(QLineEdit* edit, QString RotationSettings::*field, bool isPath)
{
    addRefresher([this, edit, field] {
        if (edit->text() != settings_.*field)
            edit->setText(settings_.*field);
    });
    connect(edit, &QLineEdit::textChanged, this,
            [this, field, isPath](const QString& text) { take([&] { settings_.*field = entered(text, isPath); }); });
}

void SettingsBinder::bind(QComboBox* combo, ListChoice RotationSettings::*field)
{
    addRefresher([this, combo, field] { combo->setCurrentIndex((settings_.*field).index()); });
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this, field](int index) { take([&] { (settings_.*field).setIndex(index); }); });
}

void SettingsBinder::bind(QButtonGroup* group, ListChoice RotationSettings::*field)
{
    addRefresher([this, group, field] {
        const int index = (settings_.*field).index();
        group->setExclusive(false); // so that no selection can show as no button checked
        for (QAbstractButton* b : group->buttons())
            b->setChecked(group->id(b) == index);
        group->setExclusive(true);
    });
    connect(group, &QButtonGroup::idToggled, this, [this, field](int id, bool checked) {
        if (checked)
            take([&] { (settings_.*field).setIndex(id); });
    });
}

void SettingsBinder::bindEditText(QComboBox* combo, QString RotationSettings::*field)
{
    bindComboText(combo, field, false);
}

void SettingsBinder::bindEditPath(QComboBox* combo, QString RotationSettings::*field)
{
    bindComboText(combo, field, true);
}

void SettingsBinder::bindComboText(QComboBox* combo, QString RotationSettings::*field, bool isPath)
{
    addRefresher([this, combo, field] {
        if (combo->currentText() != settings_.*field)
            combo->setEditText(settings_.*field);
    });
    connect(combo, &QComboBox::editTextChanged, this,
            [this, field, isPath](const QString& text) { take([&] { settings_.*field = entered(text, isPath); }); });
}

void SettingsBinder::bindRadioPair(QRadioButton* whenTrue, QRadioButton* whenFalse, bool RotationSettings::*field)
{
    radio(whenTrue, [this, field] { return settings_.*field; }, [this, field] { settings_.*field = true; });
    radio(whenFalse, [this, field] { return !(settings_.*field); }, [this, field] { settings_.*field = false; });
}

void SettingsBinder::radio(QRadioButton* button, std::function<bool()> isOn, std::function<void()> write)
{
    addRefresher([button, isOn] {
        if (isOn())
            button->setChecked(true); // unchecks the others of its group
    });
    connect(button, &QRadioButton::toggled, this, [this, write](bool checked) {
        if (checked)
            take(write);
    });
}

void SettingsBinder::bindNameList(QComboBox* combo, QString RotationSettings::*field)
{
    addRefresher([this, combo, field] {
        const QString& name = settings_.*field;
        int index = name.isEmpty() ? -1 : combo->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        if (!name.isEmpty() && index < 0) {
            combo->addItem(name);
            index = combo->count() - 1;
        }
        combo->setCurrentIndex(index);
    });
    connect(combo, &QComboBox::currentIndexChanged, this, [this, combo, field](int index) {
        if (index >= 0)
            take([&] { settings_.*field = combo->itemText(index); });
    });
}

void showRecentTemplates(QComboBox& combo, QStringListModel& list)
{
    combo.setModel(&list);
    // A replaced list selects its first item in the combo; the shown text is put back.
    auto shown = std::make_shared<QString>();
    QObject::connect(&list, &QAbstractItemModel::modelAboutToBeReset, &combo,
                     [&combo, shown] { *shown = combo.currentText(); });
    QObject::connect(&list, &QAbstractItemModel::modelReset, &combo, [&combo, shown] { combo.setEditText(*shown); });
}
