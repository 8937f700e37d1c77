#pragma once

#include "platform/fileoutcome.h"

#include <QByteArray>
#include <QString>

// The two HTML templates of one build, each read from its file at its first use and then kept:
// a build of many pages reads each template once, and a page written over its own template
// file does not become the template of the next.
class PageTemplates {
public:
    PageTemplates(QString thumbnailFile, QString imageFile);

    // The template's text, or why it could not be read (a failed read is not tried again).
    struct Text {
        platform::FileOutcome outcome;
        QByteArray bytes;
    };
    const Text& thumbnail() { return thumbnail_.text(); }
    const Text& image() { return image_.text(); }

private:
    class Template {
    public:
        explicit Template(QString file) : file_(std::move(file)) {}
        const Text& text();

    private:
        QString file_;
        bool read_ = false;
        Text text_;
    };

    Template thumbnail_;
    Template image_;
};
