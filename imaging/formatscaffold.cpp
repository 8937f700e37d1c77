#include "formatscaffold.h"

#include "pgmessages.h"

#include <exception>

void TSingleImageReader::Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const
{
    if (ImageIndex != 0)
        Fail(PGLangStrS1(PgMsg::Invalid, QStringLiteral("Index")));
    LoadImage(Stream, Graphic);
}

void TSingleImageReader::GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const
{
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    if (ImageIndex != 0)
        FailInfo(PGLangStrS1(PgMsg::InvalidValueFor, QStringLiteral("Index")));
    ReadInfo(Stream, Info);
}

void TSingleImageReader::FailInfo(const QString& Text) const
{
    Fail(Text);
    std::terminate(); // Fail always throws
}
