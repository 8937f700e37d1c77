#include "aboutbox.h"

#include "platform/shell.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString mailAddress = QStringLiteral("mailto:support@pictorum.example");
const QString webAddress = QStringLiteral("https://pictorum.example/");

QLabel* linkLabel(const QString& text, const QString& target, platform::ShellService& shell, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(target, text.toHtmlEscaped()), parent);
    label->setCursor(Qt::PointingHandCursor);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    QObject::connect(label, &QLabel::linkActivated, parent, [&shell](const QString& link) { shell.openDocument(link); });
    return label;
}
} // namespace

TAboutBox::TAboutBox(platform::Services& services, QWidget* parent)
    : ModalDialog(parent)
    , services_(services)
{
    ProductName = new QLabel(this);
    QFont big = ProductName->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    ProductName->setFont(big);
    Version = new QLabel(this);
    auto* about = new QLabel(QStringLiteral("Builds image web sites and their rotations from HTML templates."), this);
    about->setWordWrap(true);
    lblmail = linkLabel(QStringLiteral("support@pictorum.example"), mailAddress, services_.shell, this);
    lblweb = linkLabel(QStringLiteral("pictorum.example"), webAddress, services_.shell, this);
    OKButton = new QPushButton(QStringLiteral("&Close"), this);
    OKButton->setDefault(true);
    bindResult(OKButton, platform::mrOk);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProductName);
    layout->addWidget(Version);
    layout->addWidget(about);
    layout->addWidget(lblmail);
    layout->addWidget(lblweb);
    layout->addLayout(buttons);
    setFixedWidth(360);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TAboutBox::FormShow()
{
    ProductName->setText(QStringLiteral("Pictorum Pro"));
    setWindowTitle(QStringLiteral("About Pictorum Pro"));
    Version->setText(QStringLiteral("Version ") + QLatin1String(ProgramVersion));
}
