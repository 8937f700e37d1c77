#pragma once

#include "components/imagelist.h"

// The pictures of Pictorum's buttons, shared by all its windows.
const TImageList& imgLmILButtons();
