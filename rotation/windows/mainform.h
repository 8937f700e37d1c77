#pragma once

#include "rotation/engine/commandline.h"
#include "rotation/engine/problemreport.h"
#include "rotation/engine/rotationengine.h"
#include "rotation/engine/runlog.h"
#include "rotation/engine/siterecord.h"

#include "platform/services.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QLabel;
class QListWidget;
class QPainter;
class TLmILBitBtn;
class TdlgLog;
class TdlgRotOpt;

// Turnfold's main window: the site list, the selected site's status and the commands. It
// carries the rotation engine and the run log; the two dialogs live as long as it does.
class TfrmMain : public QWidget, private RotationHooks {
    Q_OBJECT
public:
    TfrmMain(const platform::Services& services, const CommandLine& commandLine, QString programFolder,
             QWidget* parent = nullptr);
    ~TfrmMain() override;

    void FormCreate(const CommandLine& commandLine);
    void FormShow();
    void FormClose();
    void lbxsitesClick();
    void lbxsitesDrawItem(QPainter& painter, int index, const QRect& rect, bool selected);
    void rebuildSiteNameList();
    bool loadsite(const QString& key) { return sites_.loadsite(key, CurrentSite); }
    void doselectionstatus();
    void btnRotateCurrentClick();
    void btnrotateallClick();
    void btnOptionsClick();
    void btnaboutClick();
    void Timer1Timer();
    void SetControlsEnabled(bool enabled);

    int selectedRow() const;
    RunLog& log() { return log_; }
    RotationEngine& engine() { return engine_; }

    const QString ProgramFolder;
    bool RotateMode = false;
    tsiterecord CurrentSite;
    QStringList lbxsitename;  // display names, row for row with lbxsites

    QLabel* Label7;
    QListWidget* lbxsites;
    QLabel* lblsitename;
    QLabel* lbllocation;
    QLabel* lblrotationcount;
    QLabel* lblautorotate;
    QLabel* lbllivepath;
    QLabel* lblcurrentrotation;
    TLmILBitBtn* btnRotateCurrent;
    TLmILBitBtn* btnrotateall;
    TLmILBitBtn* btnOptions;
    TLmILBitBtn* btnabout;
    TLmILBitBtn* BitBtn2;           // close kind
    TLmILBitBtn* BitBtn1;           // help kind
    QTimer Timer1;
    TdlgRotOpt* dlgRotOpt;
    TdlgLog* dlgLog;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void makeControls();
    void showStatus(const QString& text) override;
    const tsiterecord& selectSite(int row) override;
    void finishUnattendedRun();
    int showLog(const QString& heading);

    const platform::Services& services_;
    SiteStore sites_;
    RunLog log_;
    ProblemReport report_;
    RotationEngine engine_;
};
