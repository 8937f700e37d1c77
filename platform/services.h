#pragma once

namespace platform {

class PromptService;
class ShellService;
class DialogRunner;

// What windows are given to reach the user and the desktop.
struct Services {
    PromptService& prompts;
    ShellService& shell;
    DialogRunner& dialogs;
};

} // namespace platform
