#include "buttonimages.h"

const TImageList& imgLmILButtons()
{
    return TImageList::shared(QStringLiteral(":/buttons/pictorum.png"));
}
