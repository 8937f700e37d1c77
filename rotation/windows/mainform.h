#pragma once

#include "rotation/engine/commandline.h"
#include "rotation/engine/problemreport.h"
#include "rotation/engine/rotationengine.h"
#include "rotation/engine/rotationoptions.h"
#include "rotation/engine/rotationrun.h"
#include "rotation/engine/runlog.h"
#include "rotation/engine/runverdict.h"
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
// carries the options, the run log and the rotation run its commands hand over to; the two
// dialogs live as long as it does.
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
    // The exit code of the program: the unattended run's verdict, 0 when run by hand.
    int exitCode() const { return RotateMode ? verdict_.exitCode() : 0; }
    RotationEngine& engine() { return engine_; }
    // The options in force: loaded when the window shows, changed by the options dialog.
    const RotationOptions& options() const { return options_; }

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
    void showSite(int row, const tsiterecord& site) override;
    int showLog(const QString& heading);
    RotationInput rotationInput() const;

    const platform::Services& services_;
    SiteStore sites_;
    RunLog log_;
    ProblemReport report_;
    RotationEngine engine_;
    RotationRun run_;
    RotationOptions options_;
    RunVerdict verdict_;
    platform::FileOutcome optionsReading_;
};
