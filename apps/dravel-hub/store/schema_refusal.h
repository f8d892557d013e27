// The one refusal both backends give a database whose schema is newer
// than the program's: its steps are not known here, so nothing is guessed.
#pragma once

#include <string>

namespace dravel::hub {

// In Chinese, for the teacher: the database's version and this program's.
inline std::string NewerSchemaRefusal(int found, int known) {
  return "数据库来自更新版本的 dravel-hub（数据版本 " + std::to_string(found) +
         "，本程序只认识到 " + std::to_string(known) + "），请使用新版本打开";
}

}  // namespace dravel::hub
