#pragma once
// Small metafiles that ask much of the player for their size: mixed fills and frames of many
// points, flood fills, gradients and three-operand transfers over large pictures, big text,
// full-frame pattern transfers, clip paths and a big declared box. The player's tests and the
// benchmark (bench/metafile_hostile.cpp) play the same set.

#include <QByteArray>

#include <vector>

struct HostileMetafile {
    const char* name; // a file name, with the extension of its kind
    QByteArray data;
};

std::vector<HostileMetafile> HostileMetafiles();
