#include "rotationsettings.h"

#include "platform/inifile.h"

void SpinValue::setText(const QString& text)
{
    const auto number = platform::iniNumber(text);
    setValue(number ? *number : minimum_);
}

QString ListChoice::entry(int i) const
{
    return i >= 0 && i < count() ? QString::fromUtf8(entries_[std::size_t(i)]) : QString();
}

QStringList ListChoice::entries() const
{
    QStringList list;
    list.reserve(count());
    for (const char* e : entries_)
        list.append(QString::fromUtf8(e));
    return list;
}

void RotationSettings::SetDefaultValues()
{
    const auto byDefault = [](ListChoice& choice, int index) {
        if (!choice.hasSelection())
            choice.setIndex(index);
    };
    byDefault(Cmbheadingsize, 0);
    byDefault(cmbLinkEnclosure, 0);
    byDefault(cmbFontsize, rotationentries::DefaultFontSize);
    byDefault(cmbindexFontsize, rotationentries::DefaultFontSize);
    byDefault(cmbimageHeader, rotationentries::ImageSameAsIndex);
    byDefault(cmbimageFooter, rotationentries::ImageSameAsIndex);
    byDefault(cmbImageDisplayMethod, 0);
}
