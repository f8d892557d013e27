#include "runtime/file_system.h"
