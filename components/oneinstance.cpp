#include "oneinstance.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Between a first copy's end and the next election.
constexpr std::chrono::milliseconds retryPause{50};

} // namespace

TOneInstance::TOneInstance(QString programName, QString programFolder, QObject* parent)
    : QObject(parent)
    , programName_(std::move(programName))
    , programFolder_(std::move(programFolder))
{
}

TOneInstance::~TOneInstance()
{
    guard_.reset();  // joins the listener before anything it delivers to goes
}

void TOneInstance::complain(const QString& text) const
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(programName_), qPrintable(text));
    std::fflush(stderr);
}

void TOneInstance::goOnUnguarded(const QString& reason)
{
    complain(QStringLiteral("running without the single-instance guard (%1)").arg(reason));
    guard_.reset();
}

std::optional<int> TOneInstance::Check(const QStringList& parameters)
{
    bool ignore = false;
    if (OnCheckInstances)
        OnCheckInstances(*this, ignore);
    if (ignore || guard_)
        return std::nullopt;

    const InstanceGuardName name = instanceGuardName(programFolder_, programName_);
    guard_ = std::make_unique<InstanceGuard>(name.name);
    const QByteArray record = encodeInstanceRecord({static_cast<std::int32_t>(::getpid()), parameters});
    const Clock::time_point deadline = Clock::now() + answerTimeout;
    std::optional<int> status;
    for (;;) {
        const InstanceGuard::Election election = guard_->elect();
        if (election == InstanceGuard::Election::Unguarded) {
            goOnUnguarded(name.failure.isEmpty() ? guard_->failure() : name.failure);
            return std::nullopt;
        }
        if (election == InstanceGuard::Election::First) {
            const InstanceGuard::Running running =
                RunsUnattended ? InstanceGuard::Running::Unattended : InstanceGuard::Running::Interactive;
            const bool listening = guard_->listen([this](InstanceRecord handed) {
                QMetaObject::invokeMethod(this, [this, parameters = std::move(handed.parameters)] {
                    InstanceStarted(parameters);
                }, Qt::QueuedConnection);
            }, running);
            if (!listening)  // holding the name without answering would only keep later copies waiting
                goOnUnguarded(guard_->failure());
            return std::nullopt;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const InstanceGuard::HandOver handOver = guard_->handOver(record, std::max(left, std::chrono::milliseconds(0)));
        if (handOver == InstanceGuard::HandOver::Delivered) {
            runningCopyUnattended_ = guard_->firstCopyRunning() == InstanceGuard::Running::Unattended;
            status = 0;
            break;
        }
        if (handOver == InstanceGuard::HandOver::OtherUser) {
            complain(QStringLiteral("a copy of another user is running from this folder; this copy ends"));
            status = 1;
            break;
        }
        if (handOver == InstanceGuard::HandOver::NoAnswer && !guard_->failure().isEmpty()) {
            complain(QStringLiteral("cannot hand over to the running copy (%1); this copy ends").arg(guard_->failure()));
            status = 1;
            break;
        }
        if (handOver == InstanceGuard::HandOver::NoAnswer || Clock::now() + retryPause >= deadline) {
            complain(QStringLiteral("the running copy did not answer within 10 seconds; this copy ends"));
            status = 1;
            break;
        }
        std::this_thread::sleep_for(retryPause);  // the first copy is ending: elect again
    }
    guard_.reset();
    if (UseHaltToExit)
        std::_Exit(*status);
    return status;
}

void TOneInstance::InstanceStarted(const QStringList& parameters)
{
    if (ShowOnNewInstance)
        restoreApplication();
    if (OnInstanceStarted)
        OnInstanceStarted(*this, parameters);
}

void TOneInstance::restoreApplication()
{
    QWidgetList windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isWindow() && widget->isVisible())
            windows << widget;
    // The modal window goes to the front last, so that it stays above its owner.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && windows.removeOne(modal))
        windows << modal;
    const bool mayActivate = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    for (QWidget* window : std::as_const(windows)) {
        if (window->windowState() & Qt::WindowMinimized)
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->raise();
        window->activateWindow();
        if (!mayActivate)
            QApplication::alert(window);  // the compositor keeps the focus: ask for attention
    }
}
