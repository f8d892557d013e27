// The classes a folder run marks: the folder itself when it holds scripts,
// else each folder inside it that does (a parent folder of a school's or a
// district's classes), so one run marks many classes into one output, each
// as a class of its own. A link to a folder is no class: only what is
// inside the folder given is read. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dravel {

struct ClassFolder {
  std::string path;  // the folder of its scripts
  // As the rows and the output's folder name it, UTF-8 (with its bytes when
  // it would look like another's, name_looks.h); empty for a folder run of
  // one class.
  std::string name;
};

// The classes in `folder`, by name (a folder inside it that cannot be
// listed among them, for the run to say so); nullopt when `folder` cannot be
// listed, empty when it holds no script and no folder of them.
std::optional<std::vector<ClassFolder>> ClassesOf(const std::string& folder);

}  // namespace dravel
