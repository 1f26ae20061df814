#include "reflist.h"
