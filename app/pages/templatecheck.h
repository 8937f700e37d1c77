#pragma once

#include "app/settings/rotationsettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The four texts of a template page that the build replaces, matched exactly.
inline constexpr QLatin1StringView ContentToken{"***CONTENT***"};
inline constexpr QLatin1StringView IndexToken{"***INDEX***"};
inline constexpr QLatin1StringView HeaderToken{"***HEADER***"};
inline constexpr QLatin1StringView FooterToken{"***FOOTER***"};

// Which tokens the last successful test of a template found.
struct TemplateTokens {
    bool content = false;
    bool index = false;
    bool header = false;
    bool footer = false;

    bool operator==(const TemplateTokens&) const = default;
};

TemplateTokens findTemplateTokens(const QString& text);

// Text of a template (or of a description file) written elsewhere: UTF-8 when the bytes are
// valid UTF-8, else Latin-1 (files written on older systems), so that nothing is garbled; a
// leading byte-order mark is dropped.
QString decodeTemplateText(const QByteArray& bytes);

// The files a template refers to (one background, then every src attribute), as the scan
// of the lower-cased text finds them.
struct RequiredFilesScan {
    QStringList files;       // references to copy, in text order, duplicates kept
    QStringList warnings;    // "* ..." lines
    bool ok = true;          // false: the scan ended early; files holds what was found so far
};

// templateFolder carries its trailing "/"; referenced files are looked up in it
// case-insensitively.
RequiredFilesScan scanRequiredFiles(const QString& text, const QString& templateFolder);

// The template's text for scanning; nothing when the file cannot be read.
std::optional<QString> loadTemplateText(const QString& fileName);

// The build's two lists: for each reference, its upper-cased file name and the file's path
// in the template's folder (found case-insensitively when it exists).
void addRequiredFiles(const QString& templateFile, const QStringList& references, QStringList& names,
                      QStringList& paths);

// With custom navigation images, the next, previous and "Return to Index" images in that
// order, as addRequiredFiles adds references; an empty box adds nothing.
void addNavigationButtonFiles(const RotationSettings& settings, QStringList& names, QStringList& paths);

// Warning texts of the check.
QString loadFailedWarning(const QString& fileName);
QString contentMissingWarning();
