#include "siteop.h"

#include "buttonimages.h"
#include "mainform.h"
#include "app/site/siteoptionsrules.h"
#include "components/bitbtn.h"
#include "components/folderdialog.h"

#include "platform/fileidentity.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int helpContext = 26;
}

TdlgSIteOptions::TdlgSIteOptions(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Site Options"));

    edtname = new QLineEdit(this);
    edtname->setToolTip(QStringLiteral("A name for this site, such as its web address"));
    edtpath = new QLineEdit(this);
    BitBtn4 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn4", "Browse..", QString(), 34);
    edtBaseHTMLName = new QComboBox(this);
    edtBaseHTMLName->setEditable(true);
    edtBaseHTMLName->addItems({QStringLiteral("Index.htm"), QStringLiteral("Index.html"), QStringLiteral("Default.htm"),
                               QStringLiteral("Default.html")});

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(edtpath, 1);
    pathRow->addWidget(BitBtn4);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Site Name:"), edtname);
    form->addRow(QStringLiteral("Site creation location:"), pathRow);
    form->addRow(QStringLiteral("Name of first HTML page:"), edtBaseHTMLName);
    form->addRow(QString(), new QLabel(QStringLiteral("(will only affect new rotations that you create)"), this));

    auto* rotation = new QGroupBox(QStringLiteral("Auto Rotation"), this);
    chkTurnfold = new QCheckBox(QStringLiteral("Add this site to Turnfold's rotation schedule"), rotation);
    lbllivepath = new QLabel(QStringLiteral("Copy the rotation to:"), rotation);
    edtlivepath = new QLineEdit(rotation);
    btnBrowseSite = TLmILBitBtn::Make(rotation, imgLmILButtons(), "btnBrowseSite", "Browse..", QString(), 34);
    lblrotpos = new QLabel(QStringLiteral("Next Rotation to copy:"), rotation);
    spnrotpos = new QSpinBox(rotation);
    spnrotpos->setRange(1, 99999);
    lblrotposnote = new QLabel(rotation);
    auto* liveRow = new QHBoxLayout;
    liveRow->addWidget(edtlivepath, 1);
    liveRow->addWidget(btnBrowseSite);
    auto* rotationLayout = new QFormLayout(rotation);
    rotationLayout->addRow(chkTurnfold);
    rotationLayout->addRow(lbllivepath, liveRow);
    auto* positionRow = new QHBoxLayout;
    positionRow->addWidget(spnrotpos);
    positionRow->addWidget(lblrotposnote, 1);
    rotationLayout->addRow(lblrotpos, positionRow);

    BitBtn1 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn1", bkOK);
    BitBtn1->SetModalResult(platform::mrNone);  // closed by its handler once the entries pass
    BitBtn2 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn2", bkCancel);
    BitBtn3 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn3", bkHelp);
    BitBtn3->SetHelp(context_.services, helpContext);
    dlgFolder = new TFolderDialog(this, context.services.dialogs);
    dlgFolder->Top = 32;
    dlgFolder->Left = 368;
    dlgFolder->SetTitle(QStringLiteral("Browse for Folder"));

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addWidget(rotation);
    outer->addLayout(rightAlignedRow({BitBtn1, BitBtn2, BitBtn3}));
    setFixedWidth(520);

    connect(chkTurnfold, &QCheckBox::clicked, this, &TdlgSIteOptions::chkTurnfoldClick);
    connect(BitBtn4, &TILBitBtn::OnClick, this, &TdlgSIteOptions::BitBtn4Click);
    connect(btnBrowseSite, &TILBitBtn::OnClick, this, &TdlgSIteOptions::btnBrowseSiteClick);
    connect(BitBtn1, &TILBitBtn::OnClick, this, &TdlgSIteOptions::BitBtn1Click);
}

void TdlgSIteOptions::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TdlgSIteOptions::FormShow()
{
    const tsiterecord& site = context_.state.CurrentSite;
    edtname->setText(site.Name);
    edtpath->setText(site.Path);
    edtlivepath->setText(site.LivePath);
    chkTurnfold->setChecked(site.AutoRotate);
    chkTurnfoldClick();
    edtBaseHTMLName->setCurrentText(site.BaseHTMLName);
    spnrotpos->setValue(site.CurrentRotationPosition);
}

void TdlgSIteOptions::chkTurnfoldClick()
{
    if (chkTurnfold->isChecked() && !context_.state.options.UseRotations) {
        context_.services.prompts.information(QStringLiteral("You have disabled support for multiple rotations under options"));
        chkTurnfold->setChecked(false);
    }
    const bool on = chkTurnfold->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edtlivepath, btnBrowseSite, spnrotpos, lbllivepath, lblrotpos, lblrotposnote})
        w->setEnabled(on);
}

void TdlgSIteOptions::browseInto(QLineEdit* edit)
{
    if (dlgFolder->Execute())
        edit->setText(dlgFolder->Directory());
}

void TdlgSIteOptions::BitBtn4Click()
{
    browseInto(edtpath);
}

void TdlgSIteOptions::btnBrowseSiteClick()
{
    browseInto(edtlivepath);
}

QString TdlgSIteOptions::completeBaseHTMLName(const QString& typed)
{
    if (typed.isEmpty())
        return QStringLiteral("Index.html");
    if (platform::extractExtension(typed).isEmpty())
        return typed + QStringLiteral(".html");
    return typed;
}

void TdlgSIteOptions::BitBtn1Click()
{
    platform::PromptService& prompts = context_.services.prompts;
    tsiterecord& site = context_.state.CurrentSite;
    tsiterecord entered = site;
    entered.Name = edtname->text();
    // A relative folder is the program folder's, whatever folder the program was started from:
    // it is asked about, made, stored and later deleted there. Blanks are no folder.
    entered.Path = context_.sites().resolvepath(edtpath->text());
    entered.LivePath = edtlivepath->text();
    entered.AutoRotate = chkTurnfold->isChecked();
    if (const auto problem = checkSiteOptions(entered)) {
        prompts.information(*problem);
        return;
    }
    const QString& folder = entered.Path;
    if (!platform::folderExists(folder)) {
        if (prompts.confirm(QStringLiteral("The directory, ") + folder
                            + QStringLiteral(", does not exist.  Would you like to create it?"))
            != platform::mrYes)
            return;
        if (!context_.frmMain->createnewdirectory(folder)) {
            prompts.warning(QStringLiteral("An error was encountered creating the directory ,") + folder + QStringLiteral("!"));
            return;
        }
    }

    const QString baseName = completeBaseHTMLName(edtBaseHTMLName->currentText());
    edtBaseHTMLName->setCurrentText(baseName);
    entered.BaseHTMLName = baseName;
    entered.CurrentRotationPosition = spnrotpos->value();
    if (site.CurrentRotationPosition != entered.CurrentRotationPosition)
        context_.state.CurrentRotationPositionChanged = true;
    site = entered;
    context_.frmMain->savecurrentsite();
    context_.frmMain->rebuildSiteNameList();
    setModalResult(platform::mrOk);
}
