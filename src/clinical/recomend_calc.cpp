#include "recomend_calc.h"
