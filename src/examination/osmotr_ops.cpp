#include "osmotr_ops.h"
