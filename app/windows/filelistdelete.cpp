#include "filelistdelete.h"

#include "app/site/fileroutines.h"
#include "components/filelistbox.h"
#include "platform/hourglass.h"

#include <optional>

bool deleteFilesOnKey(TFileListBox& box, int key, platform::PromptService& prompts, bool reportFailure)
{
    const QStringList files = box.SelectedFiles();
    if (key != Qt::Key_Delete || files.isEmpty())
        return false;
    std::optional<platform::Hourglass> busy;
    if (files.size() > 1)
        busy.emplace();
    deleteChosenFiles(files, prompts, reportFailure);
    box.Update();
    return true;
}
