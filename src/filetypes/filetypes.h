#pragma once
// The concrete handlers of the registry.
#include "archive/datfiletype.h"
#include "filetypes/frmfiletype.h"
#include "filetypes/mvefiletype.h"
#include "filetypes/rixfiletype.h"
#include "filetypes/txtfiletype.h"
