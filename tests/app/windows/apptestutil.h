#pragma once

#include "fakes.h"
#include "tempfolder.h"
#include "app/windows/appcontext.h"
#include "app/windows/mainform.h"

#include <QLabel>
#include <QListWidget>

#include <memory>

// Pictorum's four windows over a temporary program folder and scripted services.
class PictorumFixture {
public:
    TempFolder prog;
    FakeServices fake;
    std::unique_ptr<AppContext> context;

    void start()
    {
        context.reset(new AppContext{fake.services, prog.path(), {}});
        createPictorumWindows(*context);
        context->frmMain->show();
    }
    ~PictorumFixture()
    {
        if (context)
            delete context->frmMain;
    }

    TfrmMain& form() { return *context->frmMain; }
    PictorumState& state() { return context->state; }

    // Selects a row as a click does.
    void clickRow(int row)
    {
        form().lbxsites->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }

    QStringList statusTexts()
    {
        TfrmMain& f = form();
        return {f.lblsitename->text(), f.lbllocation->text(), f.lblrotationcount->text(),
                f.lblautorotate->text(), f.lbllivepath->text(), f.lblcurrentrotation->text()};
    }
};
