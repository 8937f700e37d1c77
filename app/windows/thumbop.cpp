#include "thumbop.h"

#include "buttonimages.h"
#include "colourbox.h"
#include "headerfooterdialogs.h"
#include "settingsbinder.h"
#include "app/settings/pageoptionsrules.h"
#include "app/site/recenttemplates.h"
#include "components/bitbtn.h"
#include "components/pgopendialog.h"

#include "platform/fontfamilies.h"
#include "platform/modalresult.h"
#include "platform/paths.h"
#include "platform/shell.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Help context of each tab, in tab order.
constexpr int tabHelpContexts[] = {31, 32, 32, 33, 34, 36};

// Custom colours of the colour dialog, slots B to P, in blue-green-red order.
constexpr const char* customColours[] = {"808080", "C0C0C0", "FFFFFF", "800000", "FF0000", "800080", "FF00FF", "000080",
                                         "0000FF", "008080", "00FFFF", "008000", "00FF00", "808000", "FFFF00"};

// The images a browser shows; the index buttons take any picture the readers know.
const QString htmlImageFilter = QStringLiteral("Image files|*.gif; *.jpeg; *.jpg;|GIF Files|*.gif|JPEG Files|*.jpeg; *.jpg;");
const QString descriptionFilter = QStringLiteral("Comma-separated text file (*.csv,*.txt) (*.csv *.txt);;INI file format (*.ini) (*.ini)");

QSpinBox* spin(QWidget* parent, const SpinValue& range)
{
    auto* box = new QSpinBox(parent);
    box->setRange(range.minimum(), range.maximum());
    box->setSingleStep(range.step());
    box->setValue(range.value());
    return box;
}

QComboBox* listBox(QWidget* parent, const ListChoice& choice)
{
    auto* box = new QComboBox(parent);
    box->addItems(choice.entries());
    box->setCurrentIndex(choice.index());
    return box;
}

QLineEdit* colourText(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setEnabled(false);
    edit->setMaximumWidth(80);
    return edit;
}

QLineEdit* hiddenEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->hide();
    return edit;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch = true)
{
    auto* layout = new QHBoxLayout;
    for (QWidget* w : widgets)
        layout->addWidget(w);
    if (stretch)
        layout->addStretch();
    return layout;
}

void enableAll(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* w : widgets)
        w->setEnabled(enabled);
}

} // namespace

TdlgThumbOptions::TdlgThumbOptions(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
    , settings_(context.state.rotationSettings)
    , binder_(new SettingsBinder(settings_, context.state.ProgramFolder, [this] { settingsChanged(); }, this))
{
    setWindowTitle(QStringLiteral("Settings"));

    PageControl1 = new QTabWidget(this);
    // All six tabs show at once: the dialog is as wide as they need.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    const char* tabs[] = {"Thumbnails", "Page Index", "Page Index 2", "Image Display", "Page Text", "Other"};
    void (TdlgThumbOptions::*builders[])(QWidget*) = {
        &TdlgThumbOptions::buildThumbnailsTab,   &TdlgThumbOptions::buildPageIndexTab,
        &TdlgThumbOptions::buildPageIndex2Tab,   &TdlgThumbOptions::buildImageDisplayTab,
        &TdlgThumbOptions::buildPageTextTab,     &TdlgThumbOptions::buildOtherTab,
    };
    for (int i = 0; i < 6; ++i) {
        auto* page = new QWidget(PageControl1);
        (this->*builders[i])(page);
        PageControl1->addTab(page, QLatin1String(tabs[i]));
    }

    BitBtn1 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn1", bkOK);
    BitBtn1->SetModalResult(platform::mrNone);  // closed by its handler once the options pass
    BitBtn2 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn2", bkCancel);
    // Help of the page shown, so an ordinary button with the help picture.
    BitBtn3 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn3", "Help", QString(), 2);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(PageControl1);
    outer->addLayout(rightAlignedRow({BitBtn1, BitBtn2, BitBtn3}));

    for (int slot = 0; slot < int(std::size(customColours)); ++slot) {
        const TColor colour = TColor(QByteArray(customColours[slot]).toUInt(nullptr, 16));
        QColorDialog::setCustomColor(slot + 1, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
    }
    GetFontNames(FontName);
    GetFontNames(indexFontName);
    installDefaultHooks();
    bindControls();
    showSettings();

    connect(BitBtn1, &TILBitBtn::OnClick, this, &TdlgThumbOptions::BitBtn1Click);
    connect(BitBtn3, &TILBitBtn::OnClick, this, &TdlgThumbOptions::BitBtn3Click);
}

// ---- layout ----

void TdlgThumbOptions::buildThumbnailsTab(QWidget* page)
{
    const RotationSettings defaults;
    SpnThumbW = spin(page, defaults.SpnThumbW);
    SpnThumbH = spin(page, defaults.SpnThumbH);
    spnJPEGQuality = spin(page, defaults.spnJPEGQuality);
    spnHorzCOunt = spin(page, defaults.spnHorzCOunt);
    spnVertCOunt = spin(page, defaults.spnVertCOunt);
    spnImageborder = spin(page, defaults.spnImageborder);
    spnCellPadding = spin(page, defaults.spnCellPadding);
    spnCellSpacing = spin(page, defaults.spnCellSpacing);

    auto* sizes = new QGroupBox(QStringLiteral("Thumbnails"), page);
    auto* grid = new QGridLayout(sizes);
    const std::pair<const char*, QSpinBox*> spins[] = {
        {"Maximum thumbnail width (pixels):", SpnThumbW},  {"Maximum thumbnail height (pixels):", SpnThumbH},
        {"Thumbnail JPEG quality (%):", spnJPEGQuality},     {"Thumbnails across each page:", spnHorzCOunt},
        {"Thumbnails down each page:", spnVertCOunt},        {"Thumbnail border (pixels):", spnImageborder},
        {"Cell padding:", spnCellPadding},                   {"Cell spacing:", spnCellSpacing},
    };
    int r = 0;
    for (const auto& [caption, box] : spins) {
        grid->addWidget(new QLabel(QLatin1String(caption), sizes), r, 0);
        grid->addWidget(box, r++, 1);
    }

    auto* names = new QGroupBox(QStringLiteral("Text under each thumbnail"), page);
    rdbshownothing = new QRadioButton(QStringLiteral("Nothing"), names);
    rdbshowfilenamenoext = new QRadioButton(QStringLiteral("File name without extension"), names);
    rdbshowfilenamewithext = new QRadioButton(QStringLiteral("File name with extension"), names);
    rdbshowdescription = new QRadioButton(QStringLiteral("Description from a file:"), names);
    edtdescripfile = new QLineEdit(names);
    btndescripfile = TLmILBitBtn::Make(names, imgLmILButtons(), "btndescripfile", "Browse", QString(), 34);
    chkShowFIlenameWhenNoDesc = new QCheckBox(QStringLiteral("Show the file name when an image has no description"), names);
    auto* namesLayout = new QVBoxLayout(names);
    for (QWidget* w : {rdbshownothing, rdbshowfilenamenoext, rdbshowfilenamewithext, rdbshowdescription})
        namesLayout->addWidget(w);
    auto* file = row({edtdescripfile, btndescripfile}, false);
    file->setContentsMargins(20, 0, 0, 0);
    namesLayout->addLayout(file);
    namesLayout->addWidget(chkShowFIlenameWhenNoDesc);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(sizes);
    layout->addWidget(names);
    layout->addStretch();
    connect(btndescripfile, &TILBitBtn::OnClick, this, &TdlgThumbOptions::btndescripfileClick);
}

void TdlgThumbOptions::buildPageIndexTab(QWidget* page)
{
    grpIndexLayout = new QGroupBox(QStringLiteral("Page Index Layout"), page);
    rgpIndexLayout = new QButtonGroup(grpIndexLayout);
    auto* layoutBox = new QVBoxLayout(grpIndexLayout);
    const RotationSettings defaults;
    for (int i = 0; i < defaults.rgpIndexLayout.count(); ++i) {
        auto* radio = new QRadioButton(defaults.rgpIndexLayout.entry(i), grpIndexLayout);
        rgpIndexLayout->addButton(radio, i);
        layoutBox->addWidget(radio);
    }

    edtpagenumberprefix = new QLineEdit(page);
    chkImageButtons = new QCheckBox(QStringLiteral("Use image buttons for the page index"), page);
    lblSelectedImageButton = new QLabel(QStringLiteral("Button image for the current page:"), page);
    edtSelectedImageButton = new QLineEdit(page);
    btnSelectedImageButton = TLmILBitBtn::Make(page, imgLmILButtons(), "btnSelectedImageButton", "Browse", QString(), 34);
    lblotherImageButton = new QLabel(QStringLiteral("Button image for the other pages:"), page);
    edtotherImageButton = new QLineEdit(page);
    btnotherImageButton = TLmILBitBtn::Make(page, imgLmILButtons(), "btnotherImageButton", "Browse", QString(), 34);
    chkIndexInThumbPages = new QCheckBox(QStringLiteral("Insert the page index into the thumbnail pages"), page);
    chkIndexInImagePages = new QCheckBox(QStringLiteral("Insert the page index into the image pages"), page);

    auto* buttons = new QGroupBox(QStringLiteral("Image Buttons"), page);
    auto* grid = new QGridLayout(buttons);
    grid->addWidget(chkImageButtons, 0, 0, 1, 2);
    grid->addWidget(lblSelectedImageButton, 1, 0, 1, 2);
    grid->addWidget(edtSelectedImageButton, 2, 0);
    grid->addWidget(btnSelectedImageButton, 2, 1);
    grid->addWidget(lblotherImageButton, 3, 0, 1, 2);
    grid->addWidget(edtotherImageButton, 4, 0);
    grid->addWidget(btnotherImageButton, 4, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(grpIndexLayout);
    layout->addLayout(row({new QLabel(QStringLiteral("Page number prefix:"), page), edtpagenumberprefix}));
    layout->addWidget(buttons);
    layout->addWidget(chkIndexInThumbPages);
    layout->addWidget(chkIndexInImagePages);
    layout->addStretch();

    connect(btnSelectedImageButton, &TILBitBtn::OnClick, this, [this] { btnbrowseimageClick(edtSelectedImageButton, false); });
    connect(btnotherImageButton, &TILBitBtn::OnClick, this, [this] { btnbrowseimageClick(edtotherImageButton, false); });
}

void TdlgThumbOptions::buildPageIndex2Tab(QWidget* page)
{
    const RotationSettings defaults;
    cmbIndexTextColour = new ColourBox(page);
    edtindexTextColour = colourText(page);
    lblNonCurrentIndexText = new QLabel(QStringLiteral("Text colour of the other pages (image buttons):"), page);
    cmbNonCurrentIndexText = new ColourBox(page);
    edtNonCurrentIndexText = colourText(page);

    auto* font = new QGroupBox(QStringLiteral("Index Font"), page);
    rdbindexfontdefault = new QRadioButton(QStringLiteral("Use the page's default font"), font);
    rdbindexfontcustom = new QRadioButton(QStringLiteral("Use this font:"), font);
    indexFontName = new QComboBox(font);
    chkindexBold = new QCheckBox(QStringLiteral("Bold"), font);
    chkindexitalics = new QCheckBox(QStringLiteral("Italics"), font);
    lblindexFontsize = new QLabel(QStringLiteral("Font size:"), font);
    cmbindexFontsize = listBox(font, defaults.cmbindexFontsize);
    lblindexImageFontsize = new QLabel(QStringLiteral("Font size on image buttons (points):"), font);
    SpnindexImageFontsize = spin(font, defaults.SpnindexImageFontsize);
    auto* fontLayout = new QVBoxLayout(font);
    fontLayout->addWidget(rdbindexfontdefault);
    fontLayout->addLayout(row({rdbindexfontcustom, indexFontName}));
    fontLayout->addLayout(row({chkindexBold, chkindexitalics}));
    fontLayout->addLayout(row({lblindexFontsize, cmbindexFontsize}));
    fontLayout->addLayout(row({lblindexImageFontsize, SpnindexImageFontsize}));

    cmbLinkEnclosure = listBox(page, defaults.cmbLinkEnclosure);
    lblLinkEncColour = new QLabel(QStringLiteral("Colour of the enclosure characters:"), page);
    cmbLinkEncColour = new ColourBox(page);
    edtLinkEncColour = colourText(page);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Text colour of the current page:"), page));
    layout->addLayout(row({cmbIndexTextColour, edtindexTextColour}));
    layout->addWidget(lblNonCurrentIndexText);
    layout->addLayout(row({cmbNonCurrentIndexText, edtNonCurrentIndexText}));
    layout->addWidget(font);
    layout->addLayout(row({new QLabel(QStringLiteral("Characters around each page link:"), page), cmbLinkEnclosure}));
    layout->addWidget(lblLinkEncColour);
    layout->addLayout(row({cmbLinkEncColour, edtLinkEncColour}));
    layout->addStretch();
}

void TdlgThumbOptions::buildImageDisplayTab(QWidget* page)
{
    const RotationSettings defaults;
    auto* display = new QGroupBox(QStringLiteral("Each thumbnail links to"), page);
    rdbDisplayasimage = new QRadioButton(QStringLiteral("The image itself"), display);
    rdbHTMLImageWindow = new QRadioButton(QStringLiteral("An HTML page created for the image"), display);
    auto* displayLayout = new QVBoxLayout(display);
    displayLayout->addWidget(rdbDisplayasimage);
    displayLayout->addWidget(rdbHTMLImageWindow);

    lblimagestyle = new QLabel(QStringLiteral("Image page template:"), page);
    cmbimagestyle = new QComboBox(page);
    cmbimagestyle->setEditable(true);
    cmbimagestyle->setInsertPolicy(QComboBox::NoInsert);
    cmbimagestyle->setMinimumWidth(300);
    showRecentTemplates(*cmbimagestyle, context_.recentTemplates.images);
    btnimagestyle = TLmILBitBtn::Make(page, imgLmILButtons(), "btnimagestyle", "Browse..", QString(), 34);
    btntestimagestyle = new QPushButton(QStringLiteral("Test Compliance"), page);
    btnviewimagestyle = new QPushButton(QStringLiteral("View Page"), page);
    chkImageHeading = new QCheckBox(QStringLiteral("Show the image's file name as the page heading"), page);

    lblimageHeader = new QLabel(QStringLiteral("Header:"), page);
    cmbimageHeader = listBox(page, defaults.cmbimageHeader);
    btneditimageheader = new QPushButton(QStringLiteral("Edit Header"), page);
    lblimageFooter = new QLabel(QStringLiteral("Footer:"), page);
    cmbimageFooter = listBox(page, defaults.cmbimageFooter);
    btneditimagefooter = new QPushButton(QStringLiteral("Edit Footer"), page);
    edtimageheaderhtml = hiddenEdit(page);
    edtimagefooterhtml = hiddenEdit(page);
    edtimageheaderfile = hiddenEdit(page);
    edtimagefooterfile = hiddenEdit(page);

    chkimagenavigationbar = new QCheckBox(QStringLiteral("Navigation links at the bottom of each image page"), page);
    chkUseSameNavGraphics = new QCheckBox(QStringLiteral("Use the same previous/next images as the thumbnail pages"), page);
    chkmaximagesize = new QCheckBox(QStringLiteral("Show images no larger than"), page);
    lblImageWidth = new QLabel(QStringLiteral("Width:"), page);
    spnImageWidth = spin(page, defaults.spnImageWidth);
    lblImageHeight = new QLabel(QStringLiteral("Height:"), page);
    SpnImageHeight = spin(page, defaults.SpnImageHeight);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(display);
    layout->addWidget(lblimagestyle);
    layout->addLayout(row({cmbimagestyle, btnimagestyle}, false));
    layout->addLayout(row({btntestimagestyle, btnviewimagestyle}));
    layout->addWidget(chkImageHeading);
    auto* headers = new QGridLayout;
    headers->addWidget(lblimageHeader, 0, 0);
    headers->addWidget(cmbimageHeader, 0, 1);
    headers->addWidget(btneditimageheader, 0, 2);
    headers->addWidget(lblimageFooter, 1, 0);
    headers->addWidget(cmbimageFooter, 1, 1);
    headers->addWidget(btneditimagefooter, 1, 2);
    layout->addLayout(headers);
    layout->addWidget(chkimagenavigationbar);
    layout->addWidget(chkUseSameNavGraphics);
    layout->addLayout(row({chkmaximagesize, lblImageWidth, spnImageWidth, lblImageHeight, SpnImageHeight}));
    layout->addStretch();

    connect(btnimagestyle, &TILBitBtn::OnClick, this, &TdlgThumbOptions::btnimagestyleClick);
    connect(btntestimagestyle, &QPushButton::clicked, this, &TdlgThumbOptions::btntestimagestyleClick);
    connect(btnviewimagestyle, &QPushButton::clicked, this, &TdlgThumbOptions::btnviewimagestyleClick);
    connect(btneditimageheader, &QPushButton::clicked, this, [this] { btneditimageheaderClick(true); });
    connect(btneditimagefooter, &QPushButton::clicked, this, [this] { btneditimageheaderClick(false); });
    connect(cmbimagestyle->lineEdit(), &QLineEdit::editingFinished, this, &TdlgThumbOptions::cmbimagestyleExit);
}

void TdlgThumbOptions::buildPageTextTab(QWidget* page)
{
    const RotationSettings defaults;
    auto* font = new QGroupBox(QStringLiteral("Font of the inserted text"), page);
    rdbfontdefault = new QRadioButton(QStringLiteral("Use the page's default font"), font);
    rdbfontcustom = new QRadioButton(QStringLiteral("Use this font:"), font);
    FontName = new QComboBox(font);
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    lblFontNameHint = new QLabel(QStringLiteral("(several faces may be given, separated by commas)"), font);
    chkBold = new QCheckBox(QStringLiteral("Bold"), font);
    chkitalics = new QCheckBox(QStringLiteral("Italics"), font);
    cmbFontsize = listBox(font, defaults.cmbFontsize);
    auto* fontLayout = new QVBoxLayout(font);
    fontLayout->addWidget(rdbfontdefault);
    fontLayout->addLayout(row({rdbfontcustom, FontName}));
    fontLayout->addWidget(lblFontNameHint);
    fontLayout->addLayout(row({chkBold, chkitalics}));
    fontLayout->addLayout(row({new QLabel(QStringLiteral("Font size:"), font), cmbFontsize}));

    Cmbheadingsize = listBox(page, defaults.Cmbheadingsize);
    cmbHeadingColour = new ColourBox(page);
    EdtHeadingColour = colourText(page);
    chkAddLumoraLink = new QCheckBox(QStringLiteral("Add a link back to Pictorum Pro"), page);
    chkThumbnailPageHeading = new QCheckBox(QStringLiteral("Show the page position as a heading on each thumbnail page"), page);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(font);
    layout->addLayout(row({new QLabel(QStringLiteral("Heading size:"), page), Cmbheadingsize}));
    layout->addLayout(row({new QLabel(QStringLiteral("Heading colour:"), page), cmbHeadingColour, EdtHeadingColour}));
    layout->addWidget(chkThumbnailPageHeading);
    layout->addWidget(chkAddLumoraLink);
    layout->addStretch();
}

void TdlgThumbOptions::buildOtherTab(QWidget* page)
{
    const RotationSettings defaults;
    Chkusecustombuttons = new QCheckBox(QStringLiteral("Use images for the previous and next links"), page);
    lblpreviousfile = new QLabel(QStringLiteral("Previous page image:"), page);
    edtpreviousfile = new QLineEdit(page);
    btnpreviousfile = TLmILBitBtn::Make(page, imgLmILButtons(), "btnpreviousfile", "Browse", QString(), 34);
    lblnextfile = new QLabel(QStringLiteral("Next page image:"), page);
    edtnextfile = new QLineEdit(page);
    btnnextfile = TLmILBitBtn::Make(page, imgLmILButtons(), "btnnextfile", "Browse", QString(), 34);
    lblindexfile = new QLabel(QStringLiteral("Return to Index image:"), page);
    lblindexfilenote = new QLabel(QStringLiteral("(image pages only; optional)"), page);
    edtindexfile = new QLineEdit(page);
    btnindexfile = TLmILBitBtn::Make(page, imgLmILButtons(), "btnindexfile", "Browse", QString(), 34);
    cmbImageDisplayMethod = listBox(page, defaults.cmbImageDisplayMethod);

    auto* grid = new QGridLayout;
    grid->addWidget(lblpreviousfile, 0, 0);
    grid->addWidget(edtpreviousfile, 0, 1);
    grid->addWidget(btnpreviousfile, 0, 2);
    grid->addWidget(lblnextfile, 1, 0);
    grid->addWidget(edtnextfile, 1, 1);
    grid->addWidget(btnnextfile, 1, 2);
    grid->addWidget(lblindexfile, 2, 0);
    grid->addWidget(edtindexfile, 2, 1);
    grid->addWidget(btnindexfile, 2, 2);
    grid->addWidget(lblindexfilenote, 3, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Chkusecustombuttons);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("Image display method:"), page));
    layout->addWidget(cmbImageDisplayMethod);
    layout->addStretch();

    connect(btnpreviousfile, &TILBitBtn::OnClick, this, [this] { btnbrowseimageClick(edtpreviousfile, true); });
    connect(btnnextfile, &TILBitBtn::OnClick, this, [this] { btnbrowseimageClick(edtnextfile, true); });
    connect(btnindexfile, &TILBitBtn::OnClick, this, [this] { btnbrowseimageClick(edtindexfile, true); });
}

void TdlgThumbOptions::installDefaultHooks()
{
    const auto chooser = [this](const platform::FileChoice& choice) {
        return context_.services.prompts.chooseOpenFile(choice);
    };
    hooks.openHTMLImage = [this](const platform::FileChoice& choice) {
        return ChoosePicture(context_.services, QStringLiteral("PGOpenHTMLImage"), choice, this);
    };
    hooks.openImage = [this](const platform::FileChoice& choice) {
        return ChoosePicture(context_.services, QStringLiteral("dlgopenimage"), choice, this);
    };
    hooks.openHTMLTemplate = chooser;
    hooks.composeHeaderFooter = [this](bool isHeader, const QString& html) {
        return runHeaderFooterDialog(context_, isHeader, true, html);
    };
    hooks.editHeaderFooterList = [this](bool isHeader, const QString& listFile) {
        return runHeaderFooterDialog(context_, isHeader, false, listFile);
    };
}

// ---- the record behind the controls ----

void TdlgThumbOptions::bindControls()
{
    using S = RotationSettings;
    binder_->bind(SpnThumbW, &S::SpnThumbW);
    binder_->bind(SpnThumbH, &S::SpnThumbH);
    binder_->bind(spnJPEGQuality, &S::spnJPEGQuality);
    binder_->bind(spnHorzCOunt, &S::spnHorzCOunt);
    binder_->bind(spnVertCOunt, &S::spnVertCOunt);
    binder_->bind(spnImageborder, &S::spnImageborder);
    binder_->bind(spnCellPadding, &S::spnCellPadding);
    binder_->bind(spnCellSpacing, &S::spnCellSpacing);
    binder_->bindRadios<FilenameDisplay>({{rdbshownothing, FilenameDisplay::None},
                                          {rdbshowfilenamenoext, FilenameDisplay::HideExt},
                                          {rdbshowfilenamewithext, FilenameDisplay::Normal},
                                          {rdbshowdescription, FilenameDisplay::DescriptionFile}},
                                         &S::Filename_Display);
    binder_->bindPath(edtdescripfile, &S::edtdescripfile);
    binder_->bind(chkShowFIlenameWhenNoDesc, &S::chkShowFIlenameWhenNoDesc);

    binder_->bind(rgpIndexLayout, &S::rgpIndexLayout);
    binder_->bind(edtpagenumberprefix, &S::edtpagenumberprefix);
    binder_->bind(chkImageButtons, &S::chkImageButtons);
    binder_->bindPath(edtSelectedImageButton, &S::edtSelectedImageButton);
    binder_->bindPath(edtotherImageButton, &S::edtotherImageButton);
    binder_->bind(chkIndexInThumbPages, &S::chkIndexInThumbPages);
    binder_->bind(chkIndexInImagePages, &S::chkIndexInImagePages);

    bindColour(cmbIndexTextColour, edtindexTextColour, &S::cmbIndexTextColour);
    bindColour(cmbNonCurrentIndexText, edtNonCurrentIndexText, &S::cmbNonCurrentIndexText);
    binder_->bindRadioPair(rdbindexfontdefault, rdbindexfontcustom, &S::rdbindexfontdefault);
    binder_->bindNameList(indexFontName, &S::indexFontName);
    binder_->bind(chkindexBold, &S::chkindexBold);
    binder_->bind(chkindexitalics, &S::chkindexitalics);
    binder_->bind(cmbindexFontsize, &S::cmbindexFontsize);
    binder_->bind(SpnindexImageFontsize, &S::SpnindexImageFontsize);
    binder_->bind(cmbLinkEnclosure, &S::cmbLinkEnclosure);
    bindColour(cmbLinkEncColour, edtLinkEncColour, &S::cmbLinkEncColour);

    binder_->bindRadioPair(rdbHTMLImageWindow, rdbDisplayasimage, &S::rdbHTMLImageWindow);
    binder_->bindEditPath(cmbimagestyle, &S::cmbimagestyle);
    binder_->bind(chkImageHeading, &S::chkImageHeading);
    binder_->bind(cmbimageHeader, &S::cmbimageHeader);
    binder_->bind(cmbimageFooter, &S::cmbimageFooter);
    binder_->bind(edtimageheaderhtml, &S::edtimageheaderhtml);
    binder_->bind(edtimagefooterhtml, &S::edtimagefooterhtml);
    binder_->bindPath(edtimageheaderfile, &S::edtimageheaderfile);
    binder_->bindPath(edtimagefooterfile, &S::edtimagefooterfile);
    binder_->bind(chkimagenavigationbar, &S::chkimagenavigationbar);
    binder_->bind(chkUseSameNavGraphics, &S::chkUseSameNavGraphics);
    binder_->bind(chkmaximagesize, &S::chkmaximagesize);
    binder_->bind(spnImageWidth, &S::spnImageWidth);
    binder_->bind(SpnImageHeight, &S::SpnImageHeight);

    binder_->bindRadioPair(rdbfontdefault, rdbfontcustom, &S::rdbfontdefault);
    binder_->bindEditText(FontName, &S::FontName);
    binder_->bind(chkBold, &S::chkBold);
    binder_->bind(chkitalics, &S::chkitalics);
    binder_->bind(cmbFontsize, &S::cmbFontsize);
    binder_->bind(Cmbheadingsize, &S::Cmbheadingsize);
    bindColour(cmbHeadingColour, EdtHeadingColour, &S::cmbHeadingColour);
    binder_->bind(chkAddLumoraLink, &S::chkAddLumoraLink);
    binder_->bind(chkThumbnailPageHeading, &S::chkThumbnailPageHeading);

    binder_->bind(Chkusecustombuttons, &S::Chkusecustombuttons);
    connect(Chkusecustombuttons, &QCheckBox::toggled, this, &TdlgThumbOptions::ChkusecustombuttonsClick);
    binder_->bindPath(edtpreviousfile, &S::edtpreviousfile);
    binder_->bindPath(edtnextfile, &S::edtnextfile);
    binder_->bindPath(edtindexfile, &S::edtindexfile);
    binder_->bind(cmbImageDisplayMethod, &S::cmbImageDisplayMethod);
}

void TdlgThumbOptions::bindColour(ColourBox* box, QLineEdit* text, ColourChoice RotationSettings::*field)
{
    colours_.push_back({box, text, field});
    binder_->addRefresher([this, box] { showColour(*colourBinding(box)); });
    connect(box, &QComboBox::currentIndexChanged, this, [this, box] {
        if (!binder_->refreshing())
            ComboBox1Change(box);
    });
}

void TdlgThumbOptions::showSettings()
{
    binder_->refresh();
    applyRules();
}

void TdlgThumbOptions::settingsChanged()
{
    // Another template text ends the rest, so the tested text can be tested again once it is
    // back; so does switching image pages off, so that switching them on enables the button.
    if (testedImageTemplate_ != settings_.cmbimagestyle || !settings_.rdbHTMLImageWindow)
        testedImageTemplate_.reset();
    applyRules();
}

// The rules between the controls, from the record as it stands.
void TdlgThumbOptions::applyRules()
{
    const PageOptionsEnabled e = pageOptionsEnabled(settings_);
    enableAll({cmbimagestyle, lblimagestyle, btnimagestyle, chkImageHeading, cmbimageHeader, cmbimageFooter,
                lblimageFooter, chkimagenavigationbar, chkIndexInImagePages},
               e.imagePages);
    btneditimageheader->setEnabled(e.editImageHeader);
    btneditimagefooter->setEnabled(e.editImageFooter);
    btnviewimagestyle->setEnabled(e.viewImageTemplate);
    // "Test Compliance" rests once it has run, until the template text is another one.
    btntestimagestyle->setEnabled(e.viewImageTemplate && testedImageTemplate_ != settings_.cmbimagestyle);
    enableAll({edtpreviousfile, btnpreviousfile, lblpreviousfile, edtnextfile, btnnextfile, lblnextfile},
               e.customButtons);
    enableAll({edtindexfile, btnindexfile, lblindexfile, lblindexfilenote}, e.returnToIndex);
    chkUseSameNavGraphics->setEnabled(e.useSameNavGraphics);
    enableAll({SpnindexImageFontsize, edtSelectedImageButton, btnSelectedImageButton, lblSelectedImageButton,
                edtotherImageButton, btnotherImageButton, lblotherImageButton, cmbNonCurrentIndexText,
                lblNonCurrentIndexText},
               e.indexImageButtons);
    enableAll({cmbindexFontsize, lblindexFontsize}, e.indexFontSize);
    enableAll({cmbLinkEncColour, edtLinkEncColour, lblLinkEncColour}, e.linkEnclosureColour);
    enableAll({FontName, lblFontNameHint}, e.fontName);
    indexFontName->setEnabled(e.indexFontName);
    enableAll({edtdescripfile, btndescripfile, chkShowFIlenameWhenNoDesc}, e.descriptionFile);
    enableAll({spnImageWidth, SpnImageHeight, lblImageWidth, lblImageHeight}, e.maxImageSize);
}

// ---- show and close ----

void TdlgThumbOptions::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TdlgThumbOptions::FormShow()
{
    settings_.SetDefaultValues();
    testedImageTemplate_.reset(); // the rules run afresh on show
    RecentTemplates& recent = context_.recentTemplates;
    if (recent.images.rowCount() == 0) {
        // the record's template is shown again below
        binder_->quietly([&] { recent.images.setStringList(recent.index.stringList()); });
    }
    fillNavigationGraphics(settings_, context_.state.ProgramFolder);
    showSettings();
}

void TdlgThumbOptions::BitBtn1Click()
{
    if (const auto problem = checkPageOptions(settings_)) {
        if (problem->icon == platform::PromptIcon::Information)
            context_.services.prompts.information(problem->text);
        else
            context_.services.prompts.warning(problem->text);
        return;
    }
    setModalResult(platform::mrOk);
}

void TdlgThumbOptions::BitBtn3Click()
{
    const int tab = PageControl1->currentIndex();
    if (tab >= 0 && tab < int(std::size(tabHelpContexts)))
        platform::showHelp(context_.services, tabHelpContexts[tab]);
}

void TdlgThumbOptions::SetDefaultValues()
{
    settings_.SetDefaultValues();
    showSettings();
}

// ---- handlers ----

void TdlgThumbOptions::ChkusecustombuttonsClick()
{
    if (binder_->refreshing() || settings_.Chkusecustombuttons)
        return;
    settings_.chkUseSameNavGraphics = false;
    showSettings();
}

void TdlgThumbOptions::cmbimagestyleExit()
{
    const QString text = cmbimagestyle->currentText();
    if (text.isEmpty() || cmbimagestyle->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0)
        return;
    binder_->quietly([&] {
        cmbimagestyle->addItem(text);
        cmbimagestyle->setEditText(text);
    });
}

void TdlgThumbOptions::btnimagestyleClick()
{
    const auto file = hooks.openHTMLTemplate({QString(), settings_.cmbimagestyle, htmlTemplateFilter});
    if (!file)
        return;
    if (hooks.runTemplateCheck && hooks.runTemplateCheck(*file, false) != platform::mrOk)
        return;
    cmbimagestyle->setEditText(*file);
}

void TdlgThumbOptions::btntestimagestyleClick()
{
    if (hooks.runTemplateCheck)
        hooks.runTemplateCheck(settings_.cmbimagestyle, false);
    testedImageTemplate_ = settings_.cmbimagestyle;
    applyRules();
}

void TdlgThumbOptions::btnviewimagestyleClick()
{
    if (!settings_.cmbimagestyle.isEmpty())
        platform::openDocument(context_.services, settings_.cmbimagestyle);
}

void TdlgThumbOptions::btneditimageheaderClick(bool isHeader)
{
    const int choice = (isHeader ? settings_.cmbimageHeader : settings_.cmbimageFooter).index();
    if (choice == rotationentries::ImageHTML)
        hooks.editHeaderFooter(isHeader, true, *(isHeader ? edtimageheaderhtml : edtimagefooterhtml));
    else if (choice == rotationentries::ImageFile)
        hooks.editHeaderFooter(isHeader, false, *(isHeader ? edtimageheaderfile : edtimagefooterfile));
}

void PageOptionsHooks::editHeaderFooter(bool isHeader, bool asHtml, QLineEdit& box) const
{
    const auto result = asHtml ? composeHeaderFooter(isHeader, box.text()) : editHeaderFooterList(isHeader, box.text());
    if (result)
        box.setText(*result);
}

void TdlgThumbOptions::btnbrowseimageClick(QLineEdit* box, bool htmlImage)
{
    const QString current = platform::resolvepath(box->text(), context_.state.ProgramFolder);
    const auto file = htmlImage ? hooks.openHTMLImage({QStringLiteral("Please select an image to use"), current, htmlImageFilter})
                                : hooks.openImage({QString(), current, QString()});
    if (file)
        box->setText(*file);
}

void TdlgThumbOptions::btndescripfileClick()
{
    const auto file = context_.services.prompts.chooseOpenFile(
        {QStringLiteral("Please select a description file"), settings_.edtdescripfile, descriptionFilter});
    if (file)
        edtdescripfile->setText(*file);
}

// ---- colour boxes ----

const TdlgThumbOptions::ColourBinding* TdlgThumbOptions::colourBinding(const ColourBox* box) const
{
    for (const ColourBinding& binding : colours_)
        if (binding.box == box)
            return &binding;
    return nullptr;
}

void TdlgThumbOptions::showColour(const ColourBinding& binding)
{
    const ColourChoice& choice = settings_.*binding.field;
    binding.box->showChoice(choice);
    binding.text->setText(choice.htmlText());
}

void TdlgThumbOptions::ComboBox1Change(ColourBox* box)
{
    const ColourBinding* binding = colourBinding(box);
    if (!binding)
        return;
    ColourChoice& choice = settings_.*binding->field;
    const int entry = box->currentIndex();
    if (entry < 0)
        return;
    if (entry == colourbox::OtherEntry) {
        const unsigned start = choice.IsDefault() ? 0xFFFFFFu : colourToRgb(choice.IsColour());
        if (const auto rgb = context_.services.prompts.chooseColor(start))
            choice.setPicked(rgbToColour(*rgb));
        else
            choice.setDefault();
    } else {
        choice.setEntry(entry);
    }
    showColour(*binding);
    settingsChanged();
}

bool TdlgThumbOptions::IsDefault(const ColourBox* box) const
{
    const ColourBinding* binding = colourBinding(box);
    return binding ? (settings_.*binding->field).IsDefault() : true;
}

TColor TdlgThumbOptions::IsColour(const ColourBox* box) const
{
    const ColourBinding* binding = colourBinding(box);
    return binding ? (settings_.*binding->field).IsColour() : clBlack;
}

void TdlgThumbOptions::SetDefaultSetColour(ColourBox* box, bool isDefault, TColor colour)
{
    const ColourBinding* binding = colourBinding(box);
    if (!binding)
        return;
    (settings_.*binding->field).SetDefaultSetColour(isDefault, colour);
    showColour(*binding);
}

void TdlgThumbOptions::GetFontNames(QComboBox* box)
{
    box->addItems(platform::installedFontFamilies());
}
