#include "about.h"

#include "platform/shell.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

QLabel* link(const QString& target, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(target, text), parent);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false);  // through the shell service
    return label;
}

} // namespace

TAboutBox::TAboutBox(const platform::Services& services, QWidget* parent)
    : ModalDialog(parent)
    , services_(services)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Turnfold"));

    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_BrowserReload);
    ProgramIcon = new QLabel(this);
    ProgramIcon->setPixmap(icon.pixmap(48, 48));
    ProductName = new QLabel(QStringLiteral("Turnfold"), this);
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPixelSize(18);
    ProductName->setFont(bold);
    LBLVERSION = new QLabel(QStringLiteral("Version ") + turnfoldVersion, this);
    lblMail = link(makerMail, QString(makerMail).mid(7), this);
    lblWeb = link(makerWeb, makerWeb, this);
    OKbtn = new QPushButton(QStringLiteral("&Close"), this);
    OKbtn->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(ProgramIcon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(ProductName, 0, 1);
    grid->addWidget(LBLVERSION, 1, 1);
    grid->addWidget(lblMail, 2, 1);
    grid->addWidget(lblWeb, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKbtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    bindResult(OKbtn, platform::mrOk);
    for (QLabel* label : {lblMail, lblWeb})
        connect(label, &QLabel::linkActivated, this, [this](const QString& target) { services_.shell.openDocument(target); });
}
