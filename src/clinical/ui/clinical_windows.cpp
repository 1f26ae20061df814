#include "clinical_windows.h"
