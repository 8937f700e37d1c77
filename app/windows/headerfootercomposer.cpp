#include "headerfootercomposer.h"

#include "buttonimages.h"
#include "entryedit.h"
#include "snippeteditor.h"
#include "app/pages/headerfooterlist.h"
#include "components/bitbtn.h"

#include "platform/hourglass.h"
#include "platform/prompts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <exception>

namespace {
constexpr int helpContext = 29;
constexpr int rawHtmlLimit = 1000;
}

TdlgNewHeaderFooter::TdlgNewHeaderFooter(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Edit Header"));
    chkisheader = new QCheckBox(this);
    chkisheader->hide();
    lblmessage = new QLabel(this);
    lblmessage->setWordWrap(true);
    lblmessage->setMinimumWidth(420);

    rdbRawHTML = new QRadioButton(QStringLiteral("Pure HTML:"), this);
    rdbRawHTML->setChecked(true);
    edtRawHTML = new EntryLineEdit(rawHtmlLimit, this);
    btnEditHTML = TLmILBitBtn::Make(this, imgLmILButtons(), "btnEditHTML", "Edit..", QString(), 22);

    rdbimagelink = new QRadioButton(QStringLiteral("Image/Banner Link:"), this);
    lblimageurl = new QLabel(QStringLiteral("Image Location (URL):"), this);
    edtimageurl = new EntryLineEdit(0, this);
    lblimagelink = new QLabel(QStringLiteral("Link (URL):"), this);
    edtimagelink = new EntryLineEdit(0, this);
    edtimagelink->setText(QStringLiteral("http://"));
    lblalttext = new QLabel(QStringLiteral("Alternative Text:"), this);
    edtalttext = new EntryLineEdit(0, this);
    lblborderwidth = new QLabel(QStringLiteral("Image Border Width:"), this);
    spnborderwidth = new QSpinBox(this);
    spnborderwidth->setRange(0, 9);

    rdbtextlink = new QRadioButton(QStringLiteral("Text Link:"), this);
    lbltext = new QLabel(QStringLiteral("Text:"), this);
    edttext = new EntryLineEdit(0, this);
    lbltextlink = new QLabel(QStringLiteral("Link (URL):"), this);
    edttextlink = new EntryLineEdit(0, this);
    edttextlink->setText(QStringLiteral("http://"));

    BitBtn1 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn1", bkOK);
    BitBtn1->SetModalResult(platform::mrNone); // closed by its handler once the entry passes
    BitBtn2 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn2", bkCancel);
    BitBtn3 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn3", bkHelp);
    BitBtn3->SetHelp(context_.services.shell, helpContext);

    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, 20);
    grid->setColumnStretch(2, 1);
    int row = 0;
    const auto kind = [&](QRadioButton* radio) { grid->addWidget(radio, row++, 0, 1, 3); };
    const auto box = [&](QLabel* label, QWidget* edit) {
        grid->addWidget(label, row, 1);
        grid->addWidget(edit, row++, 2);
    };
    kind(rdbRawHTML);
    auto* rawRow = new QHBoxLayout;
    rawRow->addWidget(edtRawHTML, 1);
    rawRow->addWidget(btnEditHTML);
    grid->addLayout(rawRow, row++, 1, 1, 2);
    kind(rdbimagelink);
    box(lblimageurl, edtimageurl);
    box(lblimagelink, edtimagelink);
    box(lblalttext, edtalttext);
    box(lblborderwidth, spnborderwidth);
    kind(rdbtextlink);
    box(lbltext, edttext);
    box(lbltextlink, edttextlink);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblmessage);
    layout->addLayout(grid);
    layout->addLayout(rightAlignedRow({BitBtn1, BitBtn2, BitBtn3}));

    for (QRadioButton* radio : {rdbRawHTML, rdbimagelink, rdbtextlink})
        connect(radio, &QRadioButton::toggled, this, &TdlgNewHeaderFooter::rdbtextlinkClick);
    connect(BitBtn1, &TILBitBtn::OnClick, this, &TdlgNewHeaderFooter::BitBtn1Click);
    connect(btnEditHTML, &TILBitBtn::OnClick, this, &TdlgNewHeaderFooter::Button3Click);
    rdbtextlinkClick();
}

void TdlgNewHeaderFooter::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TdlgNewHeaderFooter::FormShow()
{
    if (chkisheader->isChecked()) {
        setWindowTitle(QStringLiteral("Edit Header"));
        lblmessage->setText(QStringLiteral(
            "The Header is a small piece of HTML that is placed at the top of each created page.  It may be text, a "
            "banner or a link to another site.  The Header will replace the text, ***HEADER***, in your HTML page."));
    } else {
        setWindowTitle(QStringLiteral("Edit Footer"));
        lblmessage->setText(QStringLiteral(
            "The Footer is a small piece of HTML that is placed at the bottom of each created page.  It may be text, a "
            "banner or a link to another site.  The Footer will replace the text, ***FOOTER***, in your HTML page."));
    }
    rdbtextlinkClick();
}

void TdlgNewHeaderFooter::rdbtextlinkClick()
{
    const bool raw = rdbRawHTML->isChecked();
    const bool image = rdbimagelink->isChecked();
    const bool text = rdbtextlink->isChecked();
    edtRawHTML->setEnabled(raw);
    for (QWidget* w : std::initializer_list<QWidget*>{lblimageurl, edtimageurl, lblimagelink, edtimagelink, lblalttext,
                                                      edtalttext, lblborderwidth, spnborderwidth})
        w->setEnabled(image);
    for (QWidget* w : std::initializer_list<QWidget*>{lbltext, edttext, lbltextlink, edttextlink})
        w->setEnabled(text);
}

void TdlgNewHeaderFooter::BitBtn1Click()
{
    platform::PromptService& prompts = context_.services.prompts;
    if (rdbRawHTML->isChecked() && edtRawHTML->text().isEmpty()) {
        prompts.information(QStringLiteral("You have not entered the HTML you would like to be inserted!"));
        return;
    }
    if (rdbimagelink->isChecked() && edtimageurl->text().isEmpty()) {
        prompts.information(
            QStringLiteral("You have not entered the location of the image you would like to be inserted!"));
        return;
    }
    if (rdbtextlink->isChecked() && edttext->text().isEmpty()) {
        prompts.information(QStringLiteral("You have not entered the text that you would like to be inserted!"));
        return;
    }
    if (rdbtextlink->isChecked())
        edtRawHTML->setText(textLinkEntry(edttext->text(), edttextlink->text()));
    else if (rdbimagelink->isChecked())
        edtRawHTML->setText(
            imageLinkEntry(edtimageurl->text(), edtimagelink->text(), edtalttext->text(), spnborderwidth->value()));
    setModalResult(platform::mrOk);
}

void TdlgNewHeaderFooter::Button3Click()
{
    try {
        TfrmRichEdit editor(context_, this);
        editor.Editor->clear();
        {
            const platform::Hourglass busy;
            if (!edtRawHTML->text().endsWith(QLatin1Char('|')))
                edtRawHTML->setText(edtRawHTML->text() + QLatin1Char('|'));
            editor.setLines(entryLines(edtRawHTML->text()));
        }
        if (context_.services.dialogs.showModal(editor) == platform::mrOk)
            edtRawHTML->setText(joinedEntryLines(editor.lines()));
    } catch (const std::exception&) {
        context_.services.prompts.message(QStringLiteral("Error creating your HTML!"));
    }
}
