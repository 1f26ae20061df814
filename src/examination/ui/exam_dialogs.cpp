#include "exam_dialogs.h"
