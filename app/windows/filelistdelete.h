#pragma once

class TFileListBox;

namespace platform {
class PromptService;
}

// The Delete key in a rotation's file list: the chosen files are deleted after the usual
// questions (under the hourglass when there are several) and the list is read again. False
// when the key was another one or nothing was chosen.
bool deleteFilesOnKey(TFileListBox& box, int key, platform::PromptService& prompts, bool reportFailure = false);
