#include "options.h"

#include "buttonimages.h"
#include "components/bitbtn.h"

#include "platform/shell.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int helpContext = 25;
constexpr int designMaxFilenameLength = 15;
constexpr int largestShownLimit = 100; // a stored limit above this means "no limit" in the dialog
} // namespace

TdlgOptions::TdlgOptions(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Options"));

    auto* versions = new QGroupBox(this);
    rgpsinglesite = new QRadioButton(QStringLiteral("Each Site has only a single version"), versions);
    rgpmultiplerotations = new QRadioButton(QStringLiteral("Each Site has multiple rotations (versions)"), versions);
    auto* versionsLayout = new QVBoxLayout(versions);
    versionsLayout->addWidget(rgpsinglesite);
    versionsLayout->addWidget(rgpmultiplerotations);

    spnDefaultJPEGCompression = new QSpinBox(this);
    spnDefaultJPEGCompression->setRange(1, 100);
    auto* quality = new QHBoxLayout;
    quality->addWidget(new QLabel(QStringLiteral("Image JPEG Quality Setting:"), this));
    quality->addWidget(spnDefaultJPEGCompression);
    quality->addWidget(new QLabel(QStringLiteral("%"), this));
    quality->addStretch();

    chkMaxFilenameLength = new QCheckBox(QStringLiteral("Truncate the display of filenames greater than"), this);
    chkMaxFilenameLength->setChecked(true);
    spnMaxFilenameLength = new QSpinBox(this);
    spnMaxFilenameLength->setRange(10, 99);
    spnMaxFilenameLength->setValue(designMaxFilenameLength);
    auto* names = new QHBoxLayout;
    names->addWidget(chkMaxFilenameLength);
    names->addWidget(spnMaxFilenameLength);
    names->addWidget(new QLabel(QStringLiteral("characters"), this));
    names->addStretch();

    Chksavetothumbdir = new QCheckBox(QStringLiteral("Save thumbnails to /thumbs/ sub-directory"), this);
    chkforcelowercase = new QCheckBox(QStringLiteral("Force lowercase filenames in all HTML references (links)"), this);

    btnOK = TLmILBitBtn::Make(this, imgLmILButtons(), "btnOK", bkOK);
    btnCancel = TLmILBitBtn::Make(this, imgLmILButtons(), "btnCancel", bkCancel);
    btnHelp = TLmILBitBtn::Make(this, imgLmILButtons(), "btnHelp", bkHelp);
    btnHelp->SetHelp(context_.services, helpContext);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(versions);
    outer->addLayout(quality);
    outer->addLayout(names);
    outer->addWidget(Chksavetothumbdir);
    outer->addWidget(chkforcelowercase);
    outer->addLayout(rightAlignedRow({btnOK, btnCancel, btnHelp}));

    connect(chkMaxFilenameLength, &QCheckBox::toggled, this, &TdlgOptions::chkMaxFilenameLengthClick);
    connect(btnOK, &TILBitBtn::OnClick, this, &TdlgOptions::btnOKClick);
}

void TdlgOptions::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TdlgOptions::FormShow()
{
    const ProgramOptions& o = context_.state.options;
    if (o.MaxFilenameLength < largestShownLimit + 1) {
        spnMaxFilenameLength->setValue(o.MaxFilenameLength); // clamps into 10..99
    } else {
        chkMaxFilenameLength->setChecked(false);
    }
    chkMaxFilenameLengthClick();
    spnDefaultJPEGCompression->setValue(o.DefaultJPEGCompression);
    Chksavetothumbdir->setChecked(o.UseThumbsDirectory);
    chkforcelowercase->setChecked(o.ForceLowercase);
    rgpmultiplerotations->setChecked(o.UseRotations);
    rgpsinglesite->setChecked(!o.UseRotations);
}

void TdlgOptions::chkMaxFilenameLengthClick()
{
    spnMaxFilenameLength->setEnabled(chkMaxFilenameLength->isChecked());
}

void TdlgOptions::btnOKClick()
{
    ProgramOptions& o = context_.state.options;
    o.MaxFilenameLength = qint16(chkMaxFilenameLength->isChecked() ? spnMaxFilenameLength->value() : NoFilenameLimit);
    o.DefaultJPEGCompression = qint16(spnDefaultJPEGCompression->value());
    o.UseThumbsDirectory = Chksavetothumbdir->isChecked();
    o.ForceLowercase = chkforcelowercase->isChecked();
    o.UseRotations = rgpmultiplerotations->isChecked();
    setModalResult(platform::mrOk);
}
