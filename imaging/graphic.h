#pragma once

#include "pgobject.h"

class QIODevice;

// A graphic that can write itself to a stream and read itself back: what LoadFromGraphic and
// CopyToGraphic exchange images through (the GIF image and the pixel image both are one).
class StreamableGraphic : public PGObject {
public:
    virtual void LoadFromStream(QIODevice& Stream) = 0;
    virtual void SaveToStream(QIODevice& Stream) = 0;
};
