#include "form_osmotr_elem.h"
