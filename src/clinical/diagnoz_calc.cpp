#include "diagnoz_calc.h"
