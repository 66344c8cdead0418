#pragma once
// Moved to core/util, so that the settings file can report through it too.
#include "core/util/UncaughtErrors.h"
