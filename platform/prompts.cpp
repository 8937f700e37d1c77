#include "prompts.h"

namespace platform {

QString defaultCaption(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information: return QStringLiteral("Information");
    case PromptIcon::Warning: return QStringLiteral("Warning");
    case PromptIcon::Error: return QStringLiteral("Error");
    case PromptIcon::Confirmation: return QStringLiteral("Confirm");
    case PromptIcon::None: break;
    }
    return {};
}

int PromptService::messageBox(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons)
{
    return ask(Prompt{icon, buttons, caption, text});
}

void PromptService::message(const QString& text)
{
    messageBox(text, QString(), PromptIcon::None, PromptButtons::Ok);
}

void PromptService::warning(const QString& text)
{
    messageBox(text, defaultCaption(PromptIcon::Warning), PromptIcon::Warning, PromptButtons::Ok);
}

void PromptService::information(const QString& text)
{
    messageBox(text, defaultCaption(PromptIcon::Information), PromptIcon::Information, PromptButtons::Ok);
}

void PromptService::error(const QString& text)
{
    messageBox(text, defaultCaption(PromptIcon::Error), PromptIcon::Error, PromptButtons::Ok);
}

int PromptService::confirm(const QString& text, PromptButtons buttons)
{
    return messageBox(text, defaultCaption(PromptIcon::Confirmation), PromptIcon::Confirmation, buttons);
}

// ---- ScriptedPromptService ----

template <typename T> T ScriptedPromptService::take(std::deque<T>& queue, T fallback)
{
    if (queue.empty()) {
        ++unanswered_;
        return fallback;
    }
    const T front = queue.front();
    queue.pop_front();
    return front;
}

int ScriptedPromptService::ask(const Prompt& prompt)
{
    calls_.append(Call{Call::Ask, prompt, {}, {}});
    if (prompt.buttons == PromptButtons::Ok && answers_.empty())
        return mrOk;
    int cautious = mrCancel;
    if (prompt.buttons == PromptButtons::YesNo)
        cautious = mrNo;
    else if (prompt.buttons == PromptButtons::AbortRetryIgnore)
        cautious = mrAbort;
    return take(answers_, cautious);
}

std::optional<QString> ScriptedPromptService::inputText(const QString& caption, const QString& label, const QString&)
{
    calls_.append(Call{Call::Input, {}, caption, label});
    return take(texts_, std::optional<QString>());
}

std::optional<QString> ScriptedPromptService::chooseOpenFile(const FileChoice& choice)
{
    calls_.append(Call{Call::OpenFile, {}, choice.caption, choice.filter});
    return take(files_, std::optional<QString>());
}

std::optional<QStringList> ScriptedPromptService::chooseOpenFiles(const FileChoice& choice)
{
    calls_.append(Call{Call::OpenFiles, {}, choice.caption, choice.filter});
    return take(fileLists_, std::optional<QStringList>());
}

std::optional<QString> ScriptedPromptService::chooseSaveFile(const FileChoice& choice)
{
    calls_.append(Call{Call::SaveFile, {}, choice.caption, choice.filter});
    return take(files_, std::optional<QString>());
}

std::optional<unsigned> ScriptedPromptService::chooseColor(unsigned)
{
    calls_.append(Call{Call::Color, {}, {}, {}});
    return take(colors_, std::optional<unsigned>());
}

QStringList ScriptedPromptService::promptTexts() const
{
    QStringList texts;
    for (const Call& c : calls_)
        if (c.kind == Call::Ask)
            texts.append(c.prompt.text);
    return texts;
}

const Prompt& ScriptedPromptService::lastPrompt() const
{
    static const Prompt none;
    for (auto it = calls_.crbegin(); it != calls_.crend(); ++it)
        if (it->kind == Call::Ask)
            return it->prompt;
    return none;
}

void ScriptedPromptService::clear()
{
    calls_.clear();
    answers_.clear();
    texts_.clear();
    files_.clear();
    fileLists_.clear();
    colors_.clear();
    unanswered_ = 0;
}

} // namespace platform
