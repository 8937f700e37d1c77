#include "problemreport.h"

#include "runlog.h"

#include "platform/prompts.h"

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
