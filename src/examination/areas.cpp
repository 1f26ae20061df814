#include "areas.h"
