#include "headerfooterlisteditor.h"

#include "buttonimages.h"
#include "entryedit.h"
#include "headerfootercomposer.h"
#include "app/pages/headerfooterlist.h"
#include "components/bitbtn.h"

#include "platform/fileidentity.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int helpContext = 28;
const char* const tagProperty = "Tag";

const QString textFilter = QStringLiteral("Text Files (*.txt)");
// The bytes an entry was read from, so that an entry left alone is written back as it was.
constexpr int readBytesRole = Qt::UserRole;
}

TdlgHeaderFooter::TdlgHeaderFooter(AppContext& context, TdlgNewHeaderFooter& composer, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
    , composer_(composer)
{
    setWindowTitle(QStringLiteral("Edit Header List"));
    chkisheader = new QCheckBox(this);
    chkisheader->hide();
    lblmessage = new QLabel(this);
    lblmessage->setWordWrap(true);
    lblmessage->setMinimumWidth(460);

    GroupBox1 = new QGroupBox(QStringLiteral("Header List"), this);
    lbxheaders = new QListWidget(GroupBox1);
    lbxheaders->setSelectionMode(QAbstractItemView::SingleSelection);
    lbxheaders->setMinimumHeight(160);
    const TImageList& images = imgLmILButtons();
    btnadd = TLmILBitBtn::Make(GroupBox1, images, "btnadd", "Add..", QString(), 10);
    btnremove = TLmILBitBtn::Make(GroupBox1, images, "btnremove", "Remove", QString(), 33);
    btnclearall = TLmILBitBtn::Make(GroupBox1, images, "btnclearall", "Clear All", QString(), 11);
    btnmodify = TLmILBitBtn::Make(GroupBox1, images, "btnmodify", "Modify", QString(), 13);
    bkmkup = TLmILBitBtn::Make(GroupBox1, images, "bkmkup", QString(), "Move up", 31);
    bkmkup->setProperty(tagProperty, -1);
    bkmkdown = TLmILBitBtn::Make(GroupBox1, images, "bkmkdown", QString(), "Move down", 32);
    bkmkdown->setProperty(tagProperty, 1);

    GroupBox2 = new QGroupBox(QStringLiteral("Header List File"), this);
    edtheaderfile = new QLineEdit(GroupBox2);
    btnloadfromfile = TLmILBitBtn::Make(GroupBox2, images, "btnloadfromfile", "Load..", QString(), 18);
    btnsavetofile = TLmILBitBtn::Make(GroupBox2, images, "btnsavetofile", "Save as..", QString(), 23);

    BitBtn3 = TLmILBitBtn::Make(this, images, "BitBtn3", bkOK);
    BitBtn3->SetModalResult(platform::mrNone); // closed by its handler once the list is saved
    BitBtn1 = TLmILBitBtn::Make(this, images, "BitBtn1", bkCancel);
    BitBtn2 = TLmILBitBtn::Make(this, images, "BitBtn2", bkHelp);
    BitBtn2->SetHelp(context_.services, helpContext);

    auto* listButtons = new QVBoxLayout;
    for (QWidget* button : {btnadd, btnremove, btnclearall, btnmodify})
        listButtons->addWidget(button);
    listButtons->addStretch();
    auto* moves = new QHBoxLayout;
    moves->addWidget(bkmkup);
    moves->addWidget(bkmkdown);
    listButtons->addLayout(moves);
    auto* listLayout = new QHBoxLayout(GroupBox1);
    listLayout->addWidget(lbxheaders, 1);
    listLayout->addLayout(listButtons);

    auto* fileLayout = new QHBoxLayout(GroupBox2);
    fileLayout->addWidget(edtheaderfile, 1);
    fileLayout->addWidget(btnloadfromfile);
    fileLayout->addWidget(btnsavetofile);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblmessage);
    layout->addWidget(GroupBox1, 1);
    layout->addWidget(GroupBox2);
    layout->addLayout(rightAlignedRow({BitBtn3, BitBtn1, BitBtn2}));

    connect(btnadd, &TILBitBtn::OnClick, this, [this] { btnaddClick(btnadd); });
    connect(btnmodify, &TILBitBtn::OnClick, this, &TdlgHeaderFooter::btnmodifyClick);
    connect(btnremove, &TILBitBtn::OnClick, this, &TdlgHeaderFooter::btnremoveClick);
    connect(btnclearall, &TILBitBtn::OnClick, this, &TdlgHeaderFooter::btnclearallClick);
    connect(bkmkup, &TILBitBtn::OnClick, this, [this] { bkmkupClick(bkmkup); });
    connect(bkmkdown, &TILBitBtn::OnClick, this, [this] { bkmkupClick(bkmkdown); });
    connect(btnloadfromfile, &TILBitBtn::OnClick, this, [this] { btnloadfromfileClick(true); });
    connect(btnsavetofile, &TILBitBtn::OnClick, this, &TdlgHeaderFooter::btnsavetofileClick);
    connect(BitBtn3, &TILBitBtn::OnClick, this, &TdlgHeaderFooter::BitBtn3Click);
    connect(lbxheaders, &QListWidget::itemSelectionChanged, this, &TdlgHeaderFooter::lbxheadersClick);
    lbxheadersClick();
}

void TdlgHeaderFooter::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TdlgHeaderFooter::FormShow()
{
    const bool header = chkisheader->isChecked();
    if (header) {
        setWindowTitle(QStringLiteral("Edit Header List"));
        lblmessage->setText(QStringLiteral(
            "This dialog allows you to place a different Header on each created page.  The Header is a small piece of "
            "HTML that is placed at the top of each page.  It may be text, a banner or a link to another site.  Each "
            "time a new page is created, the Header HTML is taken from the next list item.  When there are no more "
            "items, it reverts to the first item."));
    } else {
        setWindowTitle(QStringLiteral("Edit Footer List"));
        lblmessage->setText(QStringLiteral(
            "This dialog allows you to place a different Footer on each created page.  The Footer is a small piece of "
            "HTML that is placed at the bottom of each page.  It may be text, a banner or a link to another site.  "
            "Each time a new page is created, the Footer HTML is taken from the next list item.  When there are no "
            "more items, it reverts to the first item."));
    }
    GroupBox2->setTitle(header ? QStringLiteral("Header List File") : QStringLiteral("Footer List File"));
    GroupBox1->setTitle(header ? QStringLiteral("Header List") : QStringLiteral("Footer List"));
    if (edtheaderfile->text().isEmpty())
        edtheaderfile->setText(defaultHeaderFooterListName(context_.state.ProgramFolder,
                                                           context_.state.CurrentSite.SiteKey, header));
    if (platform::entryExists(listFile()))
        btnloadfromfileClick(false);
    lbxheadersClick();
}

QString TdlgHeaderFooter::listFile() const
{
    return platform::resolvepath(edtheaderfile->text(), context_.state.ProgramFolder);
}

QStringList TdlgHeaderFooter::entries() const
{
    QStringList list;
    for (int i = 0; i < lbxheaders->count(); ++i)
        list.append(lbxheaders->item(i)->text());
    return list;
}

QList<QByteArray> TdlgHeaderFooter::entryBytes() const
{
    QList<QByteArray> list;
    for (int i = 0; i < lbxheaders->count(); ++i) {
        const QListWidgetItem* item = lbxheaders->item(i);
        list.append(headerFooterEntryBytes(item->text(), item->data(readBytesRole).toByteArray(), encoding_));
    }
    return list;
}

int TdlgHeaderFooter::selectedIndex() const
{
    const QListWidgetItem* item = lbxheaders->currentItem();
    return item && item->isSelected() ? lbxheaders->row(item) : -1;
}

void TdlgHeaderFooter::select(int index)
{
    if (index < 0) {
        lbxheaders->setCurrentRow(-1);
        lbxheaders->clearSelection();
    } else
        lbxheaders->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    lbxheadersClick();
}

void TdlgHeaderFooter::btnloadfromfileClick(bool fromButton)
{
    if (fromButton) {
        const std::optional<QString> file = context_.services.prompts.chooseOpenFile(
            {QStringLiteral("Please select a text file"), listFile(), textFilter});
        if (!file)
            return; // nothing chosen: the list and its unsaved changes stay
        edtheaderfile->setText(*file);
    }
    const QString path = listFile();
    const std::optional<QList<QByteArray>> loaded = readHeaderFooterList(path);
    if (!loaded) {
        context_.services.prompts.warning(QStringLiteral("Error encountered loading your ") + GroupBox1->title()
                                          + QStringLiteral(" list file, ") + path + QStringLiteral("!"));
        return;
    }
    lbxheaders->clear();
    encoding_ = headerFooterListEncoding(*loaded);
    for (const QByteArray& line : *loaded) {
        auto* item = new QListWidgetItem(headerFooterEntryText(line), lbxheaders);
        item->setData(readBytesRole, line);
    }
    lbxheadersClick();
}

void TdlgHeaderFooter::btnsavetofileClick()
{
    const std::optional<QString> file = context_.services.prompts.chooseSaveFile(
        {QStringLiteral("Please choose a file name"), listFile(), textFilter});
    if (!file)
        return; // declined: nothing is written
    edtheaderfile->setText(*file);
    savefile();
}

bool TdlgHeaderFooter::savefile()
{
    const QString path = listFile();
    if (path.isEmpty() || !writeHeaderFooterList(path, entryBytes())) {
        context_.services.prompts.information(QStringLiteral("Error encountered saving your ") + GroupBox1->title()
                                              + QStringLiteral(" file,") + path + QStringLiteral("!"));
        return false;
    }
    return true;
}

void TdlgHeaderFooter::BitBtn3Click()
{
    if (edtheaderfile->text().isEmpty() || lbxheaders->count() == 0) {
        context_.services.prompts.information(QStringLiteral("You have not created ") + GroupBox1->title()
                                              + QStringLiteral("!"));
        return;
    }
    if (savefile())
        setModalResult(platform::mrOk);
}

void TdlgHeaderFooter::btnaddClick(QObject* sender)
{
    const bool modify = sender == btnmodify;
    const int selected = selectedIndex();
    composer_.chkisheader->setChecked(chkisheader->isChecked());
    if (modify) {
        composer_.rdbRawHTML->setChecked(true);
        composer_.edtRawHTML->setText(lbxheaders->item(selected)->text());
    }
    if (context_.services.dialogs.showModal(composer_) != platform::mrOk)
        return;
    const QString entry = withoutLineBreaks(composer_.edtRawHTML->text());
    if (modify) {
        lbxheaders->item(selected)->setText(entry);
    } else if (selected >= 0 && selected < lbxheaders->count() - 1) {
        lbxheaders->insertItem(selected, entry);
    } else {
        lbxheaders->addItem(entry);
    }
    lbxheadersClick();
}

void TdlgHeaderFooter::btnmodifyClick()
{
    if (selectedIndex() >= 0)
        btnaddClick(btnmodify);
}

void TdlgHeaderFooter::btnremoveClick()
{
    const int selected = selectedIndex();
    if (selected < 0)
        return;
    delete lbxheaders->takeItem(selected);
    select(-1);
}

void TdlgHeaderFooter::btnclearallClick()
{
    if (context_.services.prompts.confirm(QStringLiteral("Are you sure you want to clear all your entries?"))
        != platform::mrYes)
        return;
    lbxheaders->clear();
    lbxheadersClick();
}

void TdlgHeaderFooter::bkmkupClick(QObject* sender)
{
    const int selected = selectedIndex();
    const int count = lbxheaders->count();
    if (selected < 0 || count < 2)
        return;
    int target = selected + sender->property(tagProperty).toInt();
    if (target < 0)
        target = count - 1;
    else if (target >= count)
        target = 0;
    QListWidgetItem* item = lbxheaders->takeItem(selected);
    lbxheaders->insertItem(target, item);
    select(target);
}

void TdlgHeaderFooter::lbxheadersClick()
{
    const bool selected = selectedIndex() >= 0;
    for (TLmILBitBtn* button : {btnremove, btnmodify, bkmkup, bkmkdown})
        button->setEnabled(selected);
    btnclearall->setEnabled(lbxheaders->count() > 0);
}
