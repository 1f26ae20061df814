#include "documents_windows.h"
