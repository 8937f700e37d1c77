#include "editsite.h"

#include "fileroutines.h"
#include "style.h"

#include <QComboBox>
#include <QPushButton>
#include <QVBoxLayout>

TdlgEditSite::TdlgEditSite(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Edit Site"));
    cmbstyle = new QComboBox(this);
    cmbstyle->setEditable(true);
    btnteststyle = new QPushButton(QStringLiteral("Test Compliance"), this);
    btnteststyle->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cmbstyle);
    layout->addWidget(btnteststyle);

    connect(cmbstyle, &QComboBox::editTextChanged, this, &TdlgEditSite::cmbstyleChange);
    connect(btnteststyle, &QPushButton::clicked, this, &TdlgEditSite::btnteststyleClick);
}

void TdlgEditSite::cmbstyleChange()
{
    btnteststyle->setEnabled(!cmbstyle->currentText().isEmpty());
}

void TdlgEditSite::btnteststyleClick()
{
    showTemplateCompliance(context_, cmbstyle->currentText(), true, this);
    btnteststyle->setEnabled(false);
}

void TdlgEditSite::docopyfile(const QString& source, const QString& destination, bool confirm)
{
    ::docopyfile(source, destination, confirm, context_.services.prompts);
}

void TdlgEditSite::dodeletedir(const QString& folder)
{
    ::dodeletedir(folder, context_.state.ProgramFolder, context_.services.prompts);
}
