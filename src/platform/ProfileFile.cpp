#include "ProfileFile.h"

// Implemented with the holiday file.
