#include "prescriptions.h"
