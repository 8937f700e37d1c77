#include "pgexceptions.h"

EPixelGraphic::EPixelGraphic(const QString& message)
    : message_(message), utf8_(message.toStdString())
{
}
