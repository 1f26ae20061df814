#include "elements.h"
