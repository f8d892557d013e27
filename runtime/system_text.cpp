#include "runtime/system_text.h"

#include <cassert>

#include "runtime/gbk_codec.h"

namespace dravel {

Text SystemText(std::string_view utf8) {
  bool lossless = false;
  Text gbk = Utf8ToGbk(utf8, &lossless);
  assert(lossless && "a system text holds a character GBK cannot");
  return gbk;
}

}  // namespace dravel
