// The program-wide record of the frame; see app_record_win.h.
#include "base/app_record_win.h"

App app;
