#include "runtime/file_bytes.h"
