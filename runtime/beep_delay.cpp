#include "runtime/beep_delay.h"
