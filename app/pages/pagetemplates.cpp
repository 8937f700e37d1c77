#include "pagetemplates.h"

#include "platform/filecontent.h"

PageTemplates::PageTemplates(QString thumbnailFile, QString imageFile)
    : thumbnail_(std::move(thumbnailFile))
    , image_(std::move(imageFile))
{
}

const PageTemplates::Text& PageTemplates::Template::text()
{
    if (!read_) {
        read_ = true;
        if (std::optional<QByteArray> bytes = platform::readFileContent(file_))
            text_.bytes = std::move(*bytes);
        else
            text_.outcome = platform::FileOutcome::failure(QStringLiteral("Cannot read the template %1").arg(file_));
    }
    return text_;
}
