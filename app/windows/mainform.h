#pragma once

#include "appcontext.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QListWidget;
class TLmILBitBtn;
class QPainter;
class QRect;

// Pictorum's main window: the list of web sites, the selected site's status, and the
// commands that start every other piece of work.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(AppContext& context);

    // Controls
    QListWidget* lbxsites;          // items are the site keys, drawn as their display names
    QStringList lbxsitename;        // display name of each key, row for row
    TLmILBitBtn* btnnewsite;
    TLmILBitBtn* btndeletesite;
    TLmILBitBtn* btnsiteoptions;
    TLmILBitBtn* btnedtsite;
    QLabel* lblsitename;
    QLabel* lbllocation;
    QLabel* lblrotationcount;
    QLabel* lblautorotate;
    QLabel* lbllivepath;
    QLabel* lblcurrentrotation;
    TLmILBitBtn* btnRotateNow;
    TLmILBitBtn* btnOptions;
    TLmILBitBtn* btnabout;
    TLmILBitBtn* BitBtn1;           // Help
    TLmILBitBtn* BitBtn2;           // Close

    // Event handlers
    void FormShow();
    void FormClose();
    void lbxsitesClick();
    void lbxsitesDblClick();
    void lbxsitesDrawItem(QPainter& painter, int index, const QRect& rect);
    void btnnewsiteClick();
    void btndeletesiteClick();
    void btnsiteoptionsClick();
    void btnedtsiteClick();
    void btnOptionsClick();
    void btnRotateNowClick();
    void btnaboutClick();
    void BitBtn1Click();
    void BitBtn2Click();

    // Site list and current site
    void rebuildSiteNameList();
    void doselectionstatus();
    enum class SaveFailure { Shown, Quiet };
    void savecurrentsite(SaveFailure failure = SaveFailure::Shown);
    bool loadsite(const QString& key);
    void deletecurrentsite(bool deleteFolder = true);

    // Path helpers over the program folder
    QString expandpath(const QString& path) const;
    QString truncatepath(const QString& path) const;
    QString fixpath(const QString& path, bool add) const;
    static QString changeextension(const QString& name, const QString& ext);

    // File routines that live on this window
    bool createnewdirectory(const QString& path);
    bool dodeletefile(const QString& name, bool overwriting);

    QStringList siteKeys() const;
    int selectedRow() const;
    void selectRow(int row);        // selects without running the click handler

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();

    AppContext& context_;
    PictorumState& state_;
    bool shown_ = false;
    bool selecting_ = false;
};
