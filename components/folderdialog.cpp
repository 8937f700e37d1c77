#include "folderdialog.h"

#include "folderrootsmodel.h"
#include "widgetplacement.h"

#include "platform/fileidentity.h"
#include "platform/filenames.h"
#include "platform/specialfolders.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

FolderDialogRoots computerTree(bool expandHome)
{
    using platform::SpecialFolder;
    const QString home = platform::specialFolderPath(SpecialFolder::Home);
    const QString desktop = platform::specialFolderPath(SpecialFolder::Desktop);
    FolderDialogRoots roots{true, {home}, expandHome};
    if (desktop != home && platform::folderExists(desktop))
        roots.folders.append(desktop);
    roots.folders.append(QStringLiteral("/"));
    return roots;
}

std::optional<platform::SpecialFolder> specialFolderOf(TShellFolder root)
{
    using platform::SpecialFolder;
    switch (root) {
    case sfoDesktop:
    case sfoDesktopDirectory:
        return SpecialFolder::Desktop;
    case sfoPersonal:
        return SpecialFolder::Documents;
    case sfoAppData:
        return SpecialFolder::AppData;
    case sfoFonts:
        return SpecialFolder::Fonts;
    case sfoTemplates:
        return SpecialFolder::Templates;
    default:
        return std::nullopt;
    }
}

} // namespace

FolderDialogRoots folderDialogRoots(TShellFolder root)
{
    if (root == sfoMyComputer)
        return computerTree(false);
    if (const auto special = specialFolderOf(root)) {
        const QString folder = platform::specialFolderPath(*special);
        if (!folder.isEmpty() && platform::folderExists(folder))
            return {false, {folder}, false};
    }
    return computerTree(true);
}

QPoint folderDialogPosition(const FolderDialogPlacement& p)
{
    QPoint at;
    if ((p.options & bfParentCenter) && p.owner) {
        at = {p.owner->left() + p.owner->width() / 2 - p.frame.width() / 2, p.owner->top() + p.owner->height() / 4};
    } else if (p.options & bfScreenCenter) {
        at = {p.screen.left() + (p.screen.width() - p.client.width()) / 2,
              p.screen.top() + (p.screen.height() - p.client.height()) / 3};
    } else {
        at = {p.left, p.top};
        if (p.owner)
            at += p.ownerClientOrigin;
    }
    // Near an edge the formulas put the dialog partly off the screen.
    const QRect& area = p.available;
    if (area.isValid()) {
        at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - p.frame.width())));
        at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - p.frame.height())));
    }
    return at;
}

// ---- the window ----

TFolderDialogWindow::TFolderDialogWindow(const FolderDialogRoots& roots, TFolderDialogOptions options, QWidget* parent)
    : ModalDialog(parent)
    , model_(new FolderRootsModel(roots.computerNode, roots.folders, options.testFlag(bfBrowseIncludeFiles), this))
{
    lblText = new QLabel(this);
    lblText->setWordWrap(true);
    lblText->hide();
    tvFolders = new QTreeView(this);
    tvFolders->setModel(model_);
    tvFolders->setHeaderHidden(true);
    tvFolders->setUniformRowHeights(true);
    tvFolders->setSelectionMode(QAbstractItemView::SingleSelection);
    lblStatus = new QLabel(this);
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblStatus->setVisible(options.testFlag(bfStatusText));

    const platform::ButtonRow buttons = platform::makeButtonRow(this, {QStringLiteral("OK"), QStringLiteral("Cancel")});
    btnOK = buttons.buttons[0];
    btnCancel = buttons.buttons[1];
    buttonRow = buttons.layout;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblText);
    layout->addWidget(tvFolders, 1);
    layout->addWidget(lblStatus);
    layout->addLayout(buttonRow);
    resize(360, 420);

    const QModelIndex computer = model_->computerIndex();
    if (computer.isValid())
        tvFolders->expand(computer);
    if (roots.expandFirst)
        tvFolders->expand(model_->branchTop(0));

    bindResult(btnOK, platform::mrOk);
    bindResult(btnCancel, platform::mrCancel);
    connect(tvFolders->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFolderDialogWindow::selectionChanged);
}

QString TFolderDialogWindow::selectedPath() const
{
    return model_->filePath(tvFolders->currentIndex());
}

QString TFolderDialogWindow::selectedName() const
{
    return tvFolders->currentIndex().data().toString();
}

bool TFolderDialogWindow::selectPath(const QString& path)
{
    const QModelIndex index = model_->indexForPath(path);
    if (!index.isValid())
        return false;
    tvFolders->setCurrentIndex(index);
    tvFolders->scrollTo(index);
    return true;
}

void TFolderDialogWindow::setStatus(const QString& text)
{
    status_ = text;
    showStatus();
}

void TFolderDialogWindow::showStatus()
{
    lblStatus->setText(lblStatus->fontMetrics().elidedText(status_, Qt::ElideMiddle, lblStatus->width()));
    lblStatus->setToolTip(status_);
}

void TFolderDialogWindow::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    showStatus();
    if (!shown_) {
        shown_ = true;
        emit firstShown();
    }
}

void TFolderDialogWindow::resizeEvent(QResizeEvent* event)
{
    ModalDialog::resizeEvent(event);
    showStatus();
}

// ---- the dialog ----

TFolderDialog::TFolderDialog(QWidget* owner, platform::DialogRunner& runner)
    : QObject(owner)
    , owner_(owner)
    , runner_(runner)
{
}

TFolderDialog::~TFolderDialog()
{
    if (!window_)
        return;
    // Destroyed while shown: the window closes and the custom button goes home first.
    returnCustomButton();
    window_->done(platform::mrCancel);
    if (OnClose)
        OnClose(*this);
}

void TFolderDialog::SetTitle(const QString& title)
{
    title_ = title;
    if (window_)
        window_->setWindowTitle(title);
}

QString TFolderDialog::Directory() const
{
    return window_ ? window_->selectedPath() : directory_;
}

void TFolderDialog::SetDirectory(const QString& directory)
{
    directory_ = directory;
    if (window_)
        window_->selectPath(directory);
}

QWidget* TFolderDialog::ownerWindow() const
{
    return owner_ ? owner_->window() : QApplication::activeWindow();
}

bool TFolderDialog::Execute()
{
    const QPointer<TFolderDialog> self(this);
    QPointer<TFolderDialogWindow> window = new TFolderDialogWindow(folderDialogRoots(rootFolder_), Options, ownerWindow());
    window->setWindowTitle(title_);
    window->lblText->setText(Text);
    window->lblText->setVisible(!Text.isEmpty());
    window_ = window;
    // Where the custom button stands now, before the selection enables or disables it.
    if (CustomButton)
        lent_ = std::make_unique<WidgetPlacement>(CustomButton);
    connect(window, &TFolderDialogWindow::firstShown, this, &TFolderDialog::initialise);
    connect(window, &TFolderDialogWindow::selectionChanged, this, &TFolderDialog::selectionChanged);

    const int result = runner_.showModal(*window);
    if (!self) { // destroyed while shown
        delete window;
        return false;
    }
    const bool chosen = result == platform::mrOk && window;
    const QString path = window ? window->selectedPath() : QString();
    const QString name = window ? window->selectedName() : QString();
    returnCustomButton();
    window_ = nullptr;
    delete window;

    if (chosen) {
        directory_ = path;
        displayName_ = name;
    } else {
        directory_.clear();
    }
    if (QWidget* owner = ownerWindow())
        owner->activateWindow();
    if (OnClose)
        OnClose(*this);
    return chosen;
}

void TFolderDialog::initialise()
{
    TFolderDialogWindow* window = window_;
    if (!window)
        return;
    place();
    if (directory_.isEmpty() || !window->selectPath(directory_)) {
        const QModelIndex top = window->model()->index(0, 0);
        window->tvFolders->setCurrentIndex(top);
        if (!top.isValid())
            selectionChanged();
    }
    lendCustomButton();
    window->setWindowTitle(title_);
    window->tvFolders->setFocus();
    if (OnShow)
        OnShow(*this);
}

void TFolderDialog::place()
{
    TFolderDialogWindow* window = window_;
    QWidget* owner = ownerWindow();
    FolderDialogPlacement p;
    p.options = Options;
    if (owner && owner != window) {
        p.owner = owner->frameGeometry();
        p.ownerClientOrigin = owner->mapToGlobal(QPoint(0, 0));
    }
    p.frame = window->frameGeometry().size();
    p.client = window->size();
    if (const QScreen* screen = owner ? owner->screen() : window->screen()) {
        p.screen = screen->geometry();
        p.available = screen->availableGeometry();
    }
    p.left = Left;
    p.top = Top;
    window->move(folderDialogPosition(p));
}

void TFolderDialog::lendCustomButton()
{
    QAbstractButton* button = CustomButton;
    TFolderDialogWindow* window = window_;
    if (!button || !window || !lent_)
        return;
    if (QWidget* form = button->parentWidget()) {
        if (QLayout* layout = layoutHolding(form->layout(), button))
            layout->removeWidget(button);
    }
    const QPoint onForm = button->pos();
    const QSize okSize = window->btnOK->size().isEmpty() ? window->btnOK->sizeHint() : window->btnOK->size();
    button->setParent(window);
    if (Options.testFlag(bfResizeCustomButton))
        button->setFixedSize(okSize);
    if (Options.testFlag(bfAlignCustomButton)) {
        window->buttonRow->insertWidget(0, button);
    } else {
        // Where it stood on its form, kept inside the dialog.
        button->move(std::clamp(onForm.x(), 0, std::max(0, window->width() - button->width())),
                     std::clamp(onForm.y(), 0, std::max(0, window->height() - button->height())));
    }
    button->show();
}

void TFolderDialog::returnCustomButton()
{
    if (!lent_)
        return;
    lent_->restore();
    lent_.reset();
}

void TFolderDialog::selectionChanged()
{
    TFolderDialogWindow* window = window_;
    if (!window)
        return;
    const QString path = window->selectedPath();
    if (Options.testFlag(bfFileSysDirsOnly)) {
        window->btnOK->setEnabled(!path.isEmpty());
        if (Options.testFlag(bfSyncCustomButton) && CustomButton)
            CustomButton->setEnabled(window->btnOK->isEnabled());
    }
    if (!path.isEmpty()) {
        if (Options.testFlag(bfShowPathInStatusArea))
            window->setStatus(platform::displayFileName(path));
        if (OnChange)
            OnChange(*this);
    } else if (Options & (bfFileSysDirsOnly | bfShowPathInStatusArea)) {
        window->setStatus(QString());
    }
}
