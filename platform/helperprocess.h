#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// Helpers: tasks that the running executable does in a fresh process of its own. A program
// with threads may run nothing but async-signal-safe calls in a bare fork (a lock that another
// thread held stays held there), so a helper process execs the executable again instead, and
// its main hands over to the helper before it does anything else.

using HelperMain = int (*)();

// Makes name run main in a helper process; for static objects of the units that need one.
void registerHelper(const char* name, HelperMain main);

struct HelperRegistration {
    HelperRegistration(const char* name, HelperMain main) { registerHelper(name, main); }
};

// First thing in main. For a helper process the helper's exit status (127 for a name nobody
// registered); otherwise nothing, and from now on this executable serves helpers.
std::optional<int> runHelperIfAsked(int argc, char** argv);
bool servesHelpers();

// In a helper process: the whole request, and the answer to give.
QByteArray helperRequest();
bool giveHelperAnswer(const QByteArray& answer);

struct HelperAnswer {
    bool ok = false;
    QString reason;  // why there is no answer
    QByteArray answer;
};

// Runs a registered helper in a new process of this executable and waits for its answer, as
// long as it takes: the call may never return, but the process holds only its request and
// answer channel and /dev/null, so the program can still end. The answer counts only from a
// helper that ended with status 0.
HelperAnswer runHelper(const char* name, const QByteArray& request);

} // namespace platform
