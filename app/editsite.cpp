#include "editsite.h"

#include "fileroutines.h"

#include <QComboBox>
#include <QVBoxLayout>

TdlgEditSite::TdlgEditSite(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Edit Site"));
    cmbstyle = new QComboBox(this);
    cmbstyle->setEditable(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cmbstyle);
}

void TdlgEditSite::docopyfile(const QString& source, const QString& destination, bool confirm)
{
    ::docopyfile(source, destination, confirm, context_.services.prompts);
}

void TdlgEditSite::dodeletedir(const QString& folder)
{
    ::dodeletedir(folder, context_.state.ProgramFolder, context_.services.prompts);
}
