#include "analyz_calc.h"
