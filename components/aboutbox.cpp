#include "aboutbox.h"

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
    auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(target, text.toHtmlEscaped()), parent);
    label->setCursor(Qt::PointingHandCursor);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false); // through the shell service
    return label;
}

} // namespace

TAboutBox::TAboutBox(const platform::Services& services, QString productName, QWidget* parent)
    : ModalDialog(parent)
    , services_(services)
    , productName_(std::move(productName))
{
    setObjectName(QStringLiteral("AboutBox"));
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_DesktopIcon);
    ProgramIcon = new QLabel(this);
    ProgramIcon->setPixmap(icon.pixmap(48, 48));
    ProductName = new QLabel(this);
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPixelSize(18);
    ProductName->setFont(bold);
    LBLVERSION = new QLabel(this);
    lblMail = link(MakerMail, QString(MakerMail).mid(int(qstrlen("mailto:"))), this);
    lblWeb = link(MakerWeb, MakerWeb, this);
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
    grid->setHorizontalSpacing(16);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 12);
    layout->setSpacing(12);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    bindResult(OKbtn, platform::mrOk);
    for (QLabel* label : {lblMail, lblWeb})
        connect(label, &QLabel::linkActivated, this, [this](const QString& target) { platform::openDocument(services_, target); });
}

void TAboutBox::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TAboutBox::FormShow()
{
    ProductName->setText(productName_);
    setWindowTitle(QStringLiteral("About ") + productName_);
    LBLVERSION->setText(QStringLiteral("Version ") + ProgramVersion);
}
