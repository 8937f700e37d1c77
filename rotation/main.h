#pragma once

#include "commandline.h"
#include "problemreport.h"
#include "rotationengine.h"
#include "runlog.h"
#include "runverdict.h"
#include "siterecord.h"

#include "platform/services.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QLabel;
class QListWidget;
class QPainter;
class QPushButton;
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
    void BitBtn1Click();
    void BitBtn2Click();
    void btnaboutClick();
    void Timer1Timer();
    void SetControlsEnabled(bool enabled);

    int selectedRow() const;
    RunLog& log() { return log_; }
    // The exit code of the program: the unattended run's verdict, 0 when run by hand.
    int exitCode() const { return RotateMode ? verdict_.exitCode() : 0; }
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
    QPushButton* btnRotateCurrent;
    QPushButton* btnrotateall;
    QPushButton* btnOptions;
    QPushButton* btnabout;
    QPushButton* BitBtn2;
    QPushButton* BitBtn1;
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
    RunVerdict verdict_;
};
