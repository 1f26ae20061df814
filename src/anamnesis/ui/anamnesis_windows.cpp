#include "anamnesis_windows.h"
