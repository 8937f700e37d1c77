#pragma once

#include "appcontext.h"
#include "app/settings/colourchoice.h"
#include "app/settings/rotationsettings.h"

#include "platform/modaldialog.h"
#include "platform/prompts.h"

#include <functional>
#include <optional>
#include <vector>

class ColourBox;
class SettingsBinder;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TLmILBitBtn;
class QRadioButton;
class QSpinBox;
class QTabWidget;

// Where the page options' buttons reach dialogs of their own. Each starts with what the
// program has now; assigning a member wires the full dialog in its place.
struct PageOptionsHooks {
    // PGOpenHTMLImage: the previous, next and "Return to Index" images, with the choice's
    // filter. The open dialog with preview.
    std::function<std::optional<QString>(const platform::FileChoice&)> openHTMLImage;
    // dlgopenimage: the index button images, any format of the image library (the choice has
    // no filter). The open dialog with preview.
    std::function<std::optional<QString>(const platform::FileChoice&)> openImage;
    // The site editor's HTML open dialog for the image-page template.
    std::function<std::optional<QString>(const platform::FileChoice&)> openHTMLTemplate;
    // The template check (TestCompliancy on the file, then the check dialog shown modally):
    // gives the dialog's modal result. Unset until the check dialog exists: "Browse.." then
    // takes the chosen file unchecked and "Test Compliance" does nothing.
    std::function<int(const QString& templateFile, bool isThumbnailPage)> runTemplateCheck;
    // The header/footer composer on the HTML of one header or footer, and the list editor on
    // a list file; nothing when cancelled. They start as an input box and a file chooser.
    std::function<std::optional<QString>(bool isHeader, const QString& html)> composeHeaderFooter;
    std::function<std::optional<QString>(bool isHeader, const QString& listFile)> editHeaderFooterList;

    // The composer on a header or footer's HTML box (asHtml), else the list editor on its
    // list-file box; the result goes back into the box unless the dialog was cancelled.
    void editHeaderFooter(bool isHeader, bool asHtml, QLineEdit& box) const;
};

// The filter of the HTML template choosers.
inline const QString htmlTemplateFilter = QStringLiteral("HTML files (*.htm *.html)");

// Page and thumbnail options of the rotation open in the site editor. The controls edit the
// program's rotation settings record live: Cancel undoes nothing, OK only refuses to close
// while an entry is wrong.
class TdlgThumbOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgThumbOptions(AppContext& context, QWidget* parent = nullptr);

    RotationSettings& settings() { return settings_; }
    PageOptionsHooks hooks;

    // ---- "Thumbnails" ----
    QSpinBox* SpnThumbW;
    QSpinBox* SpnThumbH;
    QSpinBox* spnJPEGQuality;
    QSpinBox* spnHorzCOunt;
    QSpinBox* spnVertCOunt;
    QSpinBox* spnImageborder;
    QSpinBox* spnCellPadding;
    QSpinBox* spnCellSpacing;
    QRadioButton* rdbshownothing;
    QRadioButton* rdbshowfilenamenoext;
    QRadioButton* rdbshowfilenamewithext;
    QRadioButton* rdbshowdescription;
    QLineEdit* edtdescripfile;
    TLmILBitBtn* btndescripfile;            // "Browse"
    QCheckBox* chkShowFIlenameWhenNoDesc;

    // ---- "Page Index" ----
    QGroupBox* grpIndexLayout;
    QButtonGroup* rgpIndexLayout;           // ids 0 (vertical) and 1 (horizontal)
    QLineEdit* edtpagenumberprefix;
    QCheckBox* chkImageButtons;
    QLabel* lblSelectedImageButton;
    QLineEdit* edtSelectedImageButton;
    TLmILBitBtn* btnSelectedImageButton;
    QLabel* lblotherImageButton;
    QLineEdit* edtotherImageButton;
    TLmILBitBtn* btnotherImageButton;
    QCheckBox* chkIndexInThumbPages;
    QCheckBox* chkIndexInImagePages;

    // ---- "Page Index 2" ----
    ColourBox* cmbIndexTextColour;
    QLineEdit* edtindexTextColour;
    QLabel* lblNonCurrentIndexText;
    ColourBox* cmbNonCurrentIndexText;
    QLineEdit* edtNonCurrentIndexText;
    QRadioButton* rdbindexfontdefault;
    QRadioButton* rdbindexfontcustom;
    QComboBox* indexFontName;
    QCheckBox* chkindexBold;
    QCheckBox* chkindexitalics;
    QLabel* lblindexFontsize;
    QComboBox* cmbindexFontsize;
    QLabel* lblindexImageFontsize;
    QSpinBox* SpnindexImageFontsize;
    QComboBox* cmbLinkEnclosure;
    QLabel* lblLinkEncColour;
    ColourBox* cmbLinkEncColour;
    QLineEdit* edtLinkEncColour;

    // ---- "Image Display" ----
    QRadioButton* rdbDisplayasimage;
    QRadioButton* rdbHTMLImageWindow;
    QLabel* lblimagestyle;
    QComboBox* cmbimagestyle;               // image-page template, with its recent list
    TLmILBitBtn* btnimagestyle;             // "Browse.."
    QPushButton* btntestimagestyle;         // "Test Compliance"
    QPushButton* btnviewimagestyle;         // "View Page"
    QCheckBox* chkImageHeading;
    QLabel* lblimageHeader;
    QComboBox* cmbimageHeader;
    QPushButton* btneditimageheader;        // "Edit Header"
    QLabel* lblimageFooter;
    QComboBox* cmbimageFooter;
    QPushButton* btneditimagefooter;        // "Edit Footer"
    QLineEdit* edtimageheaderhtml;          // hidden
    QLineEdit* edtimagefooterhtml;          // hidden
    QLineEdit* edtimageheaderfile;          // hidden
    QLineEdit* edtimagefooterfile;          // hidden
    QCheckBox* chkimagenavigationbar;
    QCheckBox* chkUseSameNavGraphics;
    QCheckBox* chkmaximagesize;
    QLabel* lblImageWidth;
    QSpinBox* spnImageWidth;
    QLabel* lblImageHeight;
    QSpinBox* SpnImageHeight;

    // ---- "Page Text" ----
    QRadioButton* rdbfontdefault;
    QRadioButton* rdbfontcustom;
    QComboBox* FontName;
    QLabel* lblFontNameHint;
    QCheckBox* chkBold;
    QCheckBox* chkitalics;
    QComboBox* cmbFontsize;
    QComboBox* Cmbheadingsize;
    ColourBox* cmbHeadingColour;
    QLineEdit* EdtHeadingColour;
    QCheckBox* chkAddLumoraLink;
    QCheckBox* chkThumbnailPageHeading;

    // ---- "Other" ----
    QCheckBox* Chkusecustombuttons;
    QLabel* lblpreviousfile;
    QLineEdit* edtpreviousfile;             // previous-page button image
    TLmILBitBtn* btnpreviousfile;
    QLabel* lblnextfile;
    QLineEdit* edtnextfile;                 // next-page button image
    TLmILBitBtn* btnnextfile;
    QLabel* lblindexfile;
    QLabel* lblindexfilenote;
    QLineEdit* edtindexfile;                // "Return to Index" image
    TLmILBitBtn* btnindexfile;
    QComboBox* cmbImageDisplayMethod;

    QTabWidget* PageControl1;
    TLmILBitBtn* BitBtn1;                   // OK
    TLmILBitBtn* BitBtn2;                   // Cancel
    TLmILBitBtn* BitBtn3;                   // Help

    // Event handlers
    void FormShow();
    void BitBtn1Click();
    void BitBtn3Click();
    void ComboBox1Change(ColourBox* box);
    void ChkusecustombuttonsClick();
    void cmbimagestyleExit();
    void btnimagestyleClick();
    void btntestimagestyleClick();
    void btnviewimagestyleClick();
    void btneditimageheaderClick(bool isHeader);
    void btnbrowseimageClick(QLineEdit* box, bool htmlImage);
    void btndescripfileClick();

    // The colour boxes
    bool IsDefault(const ColourBox* box) const;
    TColor IsColour(const ColourBox* box) const;
    void SetDefaultSetColour(ColourBox* box, bool isDefault, TColor colour);
    void SetDefaultValues();
    static void GetFontNames(QComboBox* box);

    // Shows the record in the controls, after it was loaded or changed elsewhere.
    void showSettings();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct ColourBinding {
        ColourBox* box;
        QLineEdit* text;
        ColourChoice RotationSettings::*field;
    };

    void buildThumbnailsTab(QWidget* page);
    void buildPageIndexTab(QWidget* page);
    void buildPageIndex2Tab(QWidget* page);
    void buildImageDisplayTab(QWidget* page);
    void buildPageTextTab(QWidget* page);
    void buildOtherTab(QWidget* page);
    void installDefaultHooks();
    void bindControls();

    void bindColour(ColourBox* box, QLineEdit* text, ColourChoice RotationSettings::*field);

    void settingsChanged();
    void applyRules();
    const ColourBinding* colourBinding(const ColourBox* box) const;
    void showColour(const ColourBinding& binding);

    AppContext& context_;
    RotationSettings& settings_;
    SettingsBinder* binder_;
    std::vector<ColourBinding> colours_;
    std::optional<QString> testedImageTemplate_; // the template text "Test Compliance" last ran on
};
