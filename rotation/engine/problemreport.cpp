#include "problemreport.h"

#include "runlog.h"

#include "platform/prompts.h"

#include <cstdio>

void ProblemReport::report(const QString& boxText, const QString& lineText)
{
    if (unattended_)
        log_.Addwarning(lineText, true);
    else
        prompts_.warning(boxText);
}

void ProblemReport::reportWithLogLine(const QString& text)
{
    if (!unattended_)
        prompts_.warning(text);
    log_.Addwarning(text, true);
}

void ProblemReport::reportOutsideLog(const QString& text, const QString& reason) const
{
    if (unattended_)
        alsoOutsideLog(text + QStringLiteral(": ") + reason);
    else
        prompts_.warning(text);
}

void ProblemReport::alsoOutsideLog(const QString& text) const
{
    if (!unattended_)
        return;
    const QByteArray line = printableLogText(text).toLocal8Bit();
    std::fprintf(stderr, "Turnfold: %s\n", line.constData());
    std::fflush(stderr);
}
