#include "runtime/runtime_error.h"
