#include "runtime/value.h"
