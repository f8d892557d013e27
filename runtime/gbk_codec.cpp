#include "runtime/gbk_codec.h"
