#include "treatment_windows.h"
