#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TLmILBitBtn;

// "HTML Compliance": checks a template page for the four tokens and lists the files it refers
// to, which the build copies into the rotation folder. Created for one test and freed after.
class TdlgStyle : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgStyle(AppContext& context, QWidget* parent = nullptr);

    QLineEdit* edthtmlfile;
    QLabel* lblcontent;
    QLabel* lblIndex;
    QLabel* lblHeader;
    QLabel* lblFooter;
    QLabel* lblcontentres;
    QLabel* lblIndexres;
    QLabel* lblHeaderres;
    QLabel* lblFooterres;
    QLabel* lblinform;
    QPlainTextEdit* memFiles;
    QPlainTextEdit* memWarnings;
    QPlainTextEdit* rchhtml;        // hidden: the template text
    TLmILBitBtn* BitBtn1;           // OK
    TLmILBitBtn* BitBtn2;           // Cancel
    TLmILBitBtn* BitBtn3;           // Help

    // True iff the file was read and holds the content token. Stores the token flags of a
    // thumbnail-page or image-page template in the program state.
    bool TestCompliancy(const QString& FileName, bool IsThumbnailPage);
    // Fills memFiles from the text and adds the scan's warnings; false when the scan ended early.
    bool GenerateRequiredFilesList(const QString& Text);
    void AddRequiredFile(const QString& Name);

    // The lines of memFiles, for the build's required-files lists.
    QStringList requiredFiles() const;
    QStringList warnings() const;

    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void addWarning(const QString& line);

    AppContext& context_;
};

// Runs the test of a template and shows the dialog modally, as the "Test Compliance" and
// template "Browse.." buttons do; gives the dialog's modal result.
int showTemplateCompliance(AppContext& context, const QString& fileName, bool isThumbnailPage, QWidget* parent);
