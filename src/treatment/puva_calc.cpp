#include "puva_calc.h"
