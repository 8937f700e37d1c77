#include "itemprop.h"

#include "platform/filecontent.h"
#include "platform/fileidentity.h"
#include "platform/filenames.h"
#include "platform/hourglass.h"
#include "platform/shell.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>
#include <dirent.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>

namespace {

const char* const menuTexts[] = {"Open", "Open Containing Folder", "Copy Path", "Properties"};

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// The last component of a path; "/" for the root.
QString itemName(const QString& path)
{
    const QString item = withoutTrailingSlash(path);
    const QString name = item.mid(item.lastIndexOf(QLatin1Char('/')) + 1);
    return name.isEmpty() ? item : name;
}

QString containingFolder(const QString& path)
{
    const QString p = withoutTrailingSlash(path);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : p.left(slash);
}

bool runVerb(const QString& verb, const QStringList& paths, QWidget* owner, const platform::Services& services)
{
    const auto is = [&](const char* name) { return verb.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    bool ok = true;
    const auto open = [&](const QString& target) { ok = platform::openDocument(services, target) && ok; };
    if (is("open")) {
        for (const QString& path : paths)
            open(path);
    } else if (is("opencontainingfolder")) {
        QStringList folders;
        for (const QString& path : paths)
            if (!folders.contains(containingFolder(path)))
                folders.append(containingFolder(path));
        for (const QString& folder : folders)
            open(folder);
    } else if (is("copypath")) {
        // The path's own bytes, so that a name that is not UTF-8 pastes as the file's name.
        auto* data = new QMimeData;
        data->setData(QStringLiteral("text/plain"), platform::encodeFileName(paths.join(QLatin1Char('\n'))));
        QGuiApplication::clipboard()->setMimeData(data);
    } else if (is("properties")) {
        auto* window = new TItemPropertiesWindow(paths, owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    } else {
        return false;
    }
    return ok;
}

bool runOnItems(const QStringList& paths, int action, const QString& verb, QWidget* owner, const QPoint& point,
                const platform::Services& services)
{
    // Nothing to run on, or an item that is no file or folder: no verbs, no menu.
    if (paths.isEmpty() || paths.contains(QString()))
        return false;
    switch (action) {
    case iaContextMenu: {
        QMenu menu(owner);
        QList<QAction*> actions;
        for (const char* text : menuTexts)
            actions.append(menu.addAction(QString::fromLatin1(text)));
        menu.setDefaultAction(actions.front());
        QAction* chosen = menu.exec(point);
        const qsizetype index = actions.indexOf(chosen);
        return index < 0 || runVerb(QLatin1String(ItemVerbs[index]), paths, owner, services);
    }
    case iaProperties:
        return runVerb(QStringLiteral("properties"), paths, owner, services);
    case iaDefault:
        return runVerb(QLatin1String(ItemVerbs[0]), paths, owner, services);
    case iaVerb:
        return runVerb(verb, paths, owner, services);
    default:
        return false;
    }
}

// The entries of a folder matching a file name with wildcards, without "." and "..".
QStringList matchingPaths(const QString& folder, const QString& pattern)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({pattern}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                            QDir::Name);
    QStringList paths;
    for (const QString& name : names)
        paths.append(dir.filePath(name));
    return paths;
}

QString permissionText(const struct stat& st)
{
    const char* letters = "rwxrwxrwx";
    QString text;
    for (int bit = 0; bit < 9; ++bit)
        text += (st.st_mode & (0400 >> bit)) ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    return text + QStringLiteral(" (%1)").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
}

// The entries directly inside a folder, hidden ones included; nothing when it cannot be read.
std::optional<int> entryCount(const QByteArray& folder)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return std::nullopt;
    int count = 0;
    while (const dirent* entry = ::readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            ++count;
    ::closedir(dir);
    return count;
}

// The type of a file by its name and, when it can be read, its first bytes.
QString fileTypeText(const QString& path)
{
    QFile content;
    platform::openPlainFile(content, path);
    return QMimeDatabase().mimeTypeForFileNameAndData(path, &content).comment();
}

QString ownerText(uid_t owner)
{
    if (const passwd* user = ::getpwuid(owner))
        return QString::fromLocal8Bit(user->pw_name);
    return QString::number(owner);
}

} // namespace

bool ShellItemCommand(const QString& Path, const QList<ShellItem>& Items, int Action, const QString& Verb,
                      QWidget* Owner, const QPoint& Point, const platform::Services& Services)
{
    QStringList paths;
    if (!Items.isEmpty()) {
        for (const ShellItem& item : Items)
            paths.append(item.path);
        return runOnItems(paths, Action, Verb, Owner, Point, Services);
    }
    if (Path.isEmpty())
        return false;
    {
        const platform::Hourglass busy;
        const QString name = Path.mid(Path.lastIndexOf(QLatin1Char('/')) + 1);
        if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')))
            paths = matchingPaths(Path.left(Path.size() - name.size()), name);
        else if (platform::entryExists(Path))
            paths.append(Path);
    }
    return runOnItems(paths, Action, Verb, Owner, Point, Services);
}

bool ShowItemContextMenu(const QList<ShellItem>& Items, QWidget* Owner, const QPoint& Point,
                         const platform::Services& Services)
{
    return ShellItemCommand(QString(), Items, iaContextMenu, QString(), Owner, Point, Services);
}

QList<QPair<QString, QString>> ItemPropertyRows(const QString& path)
{
    const QString item = withoutTrailingSlash(path);
    QList<QPair<QString, QString>> rows;
    const auto row = [&](const char* label, const QString& value) { rows.append({QString::fromLatin1(label), value}); };
    row("Name:", platform::displayFileName(itemName(item)));
    row("Location:", platform::displayFileName(containingFolder(item)));
    // A dangling link shows the link itself.
    const QByteArray native = platform::encodeFileName(item);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 && ::lstat(native.constData(), &st) != 0) {
        row("Type:", QStringLiteral("cannot be read"));
        return rows;
    }
    if (S_ISDIR(st.st_mode)) {
        row("Type:", QStringLiteral("Folder"));
        const std::optional<int> count = entryCount(native);
        row("Contains:", count ? QStringLiteral("%1 items").arg(*count) : QStringLiteral("cannot be read"));
    } else {
        row("Type:", fileTypeText(item));
        row("Size:", QStringLiteral("%1 bytes").arg(QLocale(QLocale::English).toString(qint64(st.st_size))));
    }
    row("Modified:", QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    row("Permissions:", permissionText(st));
    row("Owner:", ownerText(st.st_uid));
    return rows;
}

TItemPropertiesWindow::TItemPropertiesWindow(const QStringList& paths, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(paths.size() == 1 ? platform::displayFileName(itemName(paths.front()))
                                           + QStringLiteral(" Properties")
                                     : QStringLiteral("Properties"));
    auto* pages = new QTabWidget(this);
    for (const QString& path : paths) {
        auto* page = new QWidget(pages);
        auto* form = new QFormLayout(page);
        for (const auto& [label, value] : ItemPropertyRows(path)) {
            auto* text = new QLabel(value, page);
            text->setTextInteractionFlags(Qt::TextSelectableByMouse);
            form->addRow(label, text);
        }
        pages->addTab(page, platform::displayFileName(itemName(path)));
    }
    pages->tabBar()->setVisible(paths.size() > 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);
}
