#include "puva_ops.h"
