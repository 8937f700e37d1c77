#include "headerfooterdialogs.h"

#include "entryedit.h"
#include "headerfootercomposer.h"
#include "headerfooterlisteditor.h"

#include "platform/modaldialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

std::optional<QString> runHeaderFooterDialog(AppContext& context, bool isHeader, bool asHtml, const QString& text,
                                             QWidget* parent)
{
    if (!parent)
        parent = QApplication::activeModalWidget();
    TdlgNewHeaderFooter composer(context, parent);
    TdlgHeaderFooter list(context, composer, parent);
    composer.chkisheader->setChecked(isHeader);
    list.chkisheader->setChecked(isHeader);
    if (asHtml) {
        composer.rdbRawHTML->setChecked(true);
        composer.edtRawHTML->setText(text);
        if (context.services.dialogs.showModal(composer) != platform::mrOk)
            return std::nullopt;
        return composer.edtRawHTML->text();
    }
    list.edtheaderfile->setText(text);
    if (context.services.dialogs.showModal(list) != platform::mrOk)
        return std::nullopt;
    return list.edtheaderfile->text();
}
