#include "addimage.h"

TdlgAddImages::TdlgAddImages(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Add Images to Current Rotation"));
}
