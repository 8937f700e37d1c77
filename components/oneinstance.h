#pragma once

#include "instanceguard.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Keeps one copy of a program running per installation. Made in main() right after the
// application object and before any window:
//
//     TOneInstance OneInstance1(QStringLiteral("Turnfold"), programFolder);
//     if (const std::optional<int> status = OneInstance1.Check(parameters))
//         return *status;  // a later copy: its parameters went to the first copy
//
// The first copy goes on and, each time a later copy starts, is restored and brought to the
// front (ShowOnNewInstance) and told the later copy's parameters (OnInstanceStarted), on the
// user-interface thread. A later copy ends with status 0 once the first copy has its
// parameters, and then knows whether that copy runs unattended; it ends with status 1 and a
// line on standard error when the first copy does not answer within 10 seconds or belongs to
// another user, so two copies never run side by side.
class TOneInstance : public QObject {
    Q_OBJECT
public:
    using TOnInstanceStarted = std::function<void(TOneInstance& sender, const QStringList& parameters)>;
    using TOnCheckInstances = std::function<void(TOneInstance& sender, bool& ignore)>;

    // programName names the program's guard ("Pictorum", "Turnfold") and its messages.
    TOneInstance(QString programName, QString programFolder, QObject* parent = nullptr);
    ~TOneInstance() override;

    bool ShowOnNewInstance = true;
    // A later copy ends at once (true) or by returning its status from Check (false).
    bool UseHaltToExit = false;
    // This copy runs by itself to its end (a scheduled run); later copies are told so.
    bool RunsUnattended = false;
    TOnInstanceStarted OnInstanceStarted;
    // Asked before the check; setting the flag skips the check for this start.
    TOnCheckInstances OnCheckInstances;

    // Runs the check with this process's parameters. Nothing: this copy goes on (the first
    // copy, or unguarded). A status: this copy must end with it before making any window.
    std::optional<int> Check(const QStringList& parameters);
    // After Check handed this copy's parameters over: the running copy said it runs unattended.
    bool RunningCopyUnattended() const { return runningCopyUnattended_; }

    // How long a later copy waits for the first copy's acknowledgement.
    static constexpr std::chrono::milliseconds answerTimeout{10000};

protected:
    // In the first copy, on the user-interface thread: a later copy started with parameters.
    virtual void InstanceStarted(const QStringList& parameters);

private:
    void complain(const QString& text) const;
    void goOnUnguarded(const QString& reason);
    void restoreApplication();

    QString programName_;
    QString programFolder_;
    std::unique_ptr<InstanceGuard> guard_;
    bool runningCopyUnattended_ = false;
};
