#include "osmotr_calc.h"
