#include "anamnesis_calc.h"
