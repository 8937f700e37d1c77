#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Shell services: documents and links, starting programs, help.
class ShellService {
public:
    virtual ~ShellService() = default;
    // Opens a file (in its associated program) or a URL; false when nothing could open it.
    virtual bool openDocument(const QString& fileOrUrl) = 0;
    // Starts a program detached; false when it could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Opens the shipped help at its index (context 0) or at one context's page.
    virtual bool showHelp(int context) = 0;
};

// The page of the shipped help for a context: "help/index.html" for 0, else
// "help/<context>.html", in the program folder; the index when the page is missing.
QString helpPage(const QString& programFolder, int context);

class DesktopShell : public ShellService {
public:
    explicit DesktopShell(QString programFolder) : programFolder_(std::move(programFolder)) {}
    bool openDocument(const QString& fileOrUrl) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool showHelp(int context) override;

private:
    QString programFolder_;
};

} // namespace platform
