#pragma once

#include "opener.h"

#include <QString>
#include <QStringList>

namespace platform {

struct Services;

// Shell services: documents and links, starting programs, help.
class ShellService {
public:
    virtual ~ShellService() = default;
    // Opens a file (in its associated program) or a URL; the reply says whether it was shown
    // and, if not, why.
    virtual void openDocument(const QString& fileOrUrl, OpenReply reply) = 0;
    // Starts a program detached; false when it could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // The page of the shipped help for a context (0: the index), and opening it.
    virtual QString helpFile(int context) const = 0;
    virtual void showHelp(int context, OpenReply reply) = 0;
};

// The page of the shipped help for a context: "help/index.html" for 0, else
// "help/<context>.html", in the program folder; the index when the page is missing.
QString helpPage(const QString& programFolder, int context);

// Opens through the desktop's opener, "xdg-open" unless another is given.
class DesktopShell : public ShellService {
public:
    explicit DesktopShell(QString programFolder, QString opener = QStringLiteral("xdg-open"))
        : programFolder_(std::move(programFolder)), opener_(std::move(opener)) {}
    void openDocument(const QString& fileOrUrl, OpenReply reply) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    QString helpFile(int context) const override { return helpPage(programFolder_, context); }
    void showHelp(int context, OpenReply reply) override;

private:
    QString programFolder_;
    QString opener_;
};

// The user's side of the two: help or a document is opened, and when it cannot be shown one
// warning says why, also when the opener fails only after it started; for help it names the
// page, so that it can be opened by hand. openDocument is false when the open failed at once.
void showHelp(const Services& services, int context);
bool openDocument(const Services& services, const QString& fileOrUrl);

QString helpNotShownText(const QString& page, const QString& reason);
QString documentNotOpenedText(const QString& fileOrUrl, const QString& reason);

} // namespace platform
