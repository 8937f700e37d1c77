#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class PromptService;
}

// The program's own routines for making folder paths, deleting and copying files and
// deleting folders, each with its own questions and failure boxes. Windows call these.

// The path trimmed, with "/" appended unless it is empty or ends in "/" or "\".
QString AddBackslash(const QString& path);

// Makes every missing level of the path; on failure the levels made are removed again.
// With askFirst the user is asked before; with reportFailure a failure is shown.
bool CreateFolderPath(const QString& path, bool askFirst, bool reportFailure, platform::PromptService& prompts);

// CreateFolderPath without the question, always reporting; "%/" paths are expanded.
bool createnewdirectory(const QString& path, const QString& programFolder, platform::PromptService& prompts);

// Deletes a file after the read-only question; true when deleted or nothing was there.
// With overwriting the file is only made ready to be replaced: the caller's copy renames
// the new file over it, so the old one never disappears before the new one is complete.
// A symbolic link is deleted (also when overwriting) as the link itself: its target keeps
// its mode and content.
bool dodeletefile(const QString& name, bool overwriting, platform::PromptService& prompts);

// Copies source to destination, asking before an overwrite when confirm is set.
void docopyfile(const QString& source, const QString& destination, bool confirm, platform::PromptService& prompts);

// Deletes a folder with everything in it, for good; protected folders are refused.
void dodeletedir(const QString& folder, const QString& programFolder, platform::PromptService& prompts);

// The Delete key on a file list: one file is deleted after "Are you sure you want to delete the
// file, <name>?" answered Yes; several after "Are you sure you want to delete these <count>
// files?" answered anything but No, the last first. Each goes through dodeletefile; with
// reportFailure a file it could not delete is named in one box of its own ("Error encountered
// deleting the file, <name>?") in place of dodeletefile's failure box.
void deleteChosenFiles(const QStringList& files, platform::PromptService& prompts, bool reportFailure = false);
