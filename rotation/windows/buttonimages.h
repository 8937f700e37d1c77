#pragma once

#include "components/imagelist.h"

// The pictures of Turnfold's buttons, shared by all its windows.
const TImageList& imgLmILButtons();
