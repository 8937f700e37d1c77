#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace platform {
class IniDocument;
class PromptService;
} // namespace platform

// The image descriptions of a build: section [Descriptions] of the description file in use,
// file name (or full path) = description. Kept in memory for the build; nothing is written
// beside the user's file.
class ImageDescriptions {
public:
    ImageDescriptions() = default;
    // doc holds the file's text as UTF-8; latin1File: the file itself was Latin-1, so each
    // description goes back to its Latin-1 bytes.
    ImageDescriptions(const platform::IniDocument& doc, bool latin1File);

    // The description stored for a key (matched ignoring case), as the file's own bytes; empty
    // when there is none.
    QByteArray lookup(const QString& key) const;
    bool isEmpty() const { return entries_.isEmpty(); }

private:
    QHash<QString, QByteArray> entries_; // by case-folded key
};

// Converts a CSV description file (one "name,description" a line) into descriptions: the
// first comma of each line separates the name from the description. An empty or unreadable
// file fails. A file in which no line holds a comma asks whether to build anyway: Yes gives
// no descriptions, No fails.
std::optional<ImageDescriptions> ConvertCSVtoINI(const QString& csvFile, platform::PromptService& prompts);

// The descriptions of a chosen file: one whose extension is ".ini" (any case) is read as it
// is, any other is converted as a CSV file. Nothing when that fails.
std::optional<ImageDescriptions> loadDescriptionFile(const QString& file, platform::PromptService& prompts);
