#include "filter.h"
