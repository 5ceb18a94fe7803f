#include "platform/Services.h"
