// A folder run's scripts before and after their children: each class's
// listed and named in the output (a picture, with references an overlay, in
// the class's own folder of a parent folder's run), the names the run will
// write, and the copies grouped within each class. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apps/dravel-render/folder/class_folders.h"
#include "apps/dravel-render/folder/script_folder.h"
#include "apps/dravel-render/render_options.h"
#include "marking/script_result.h"

namespace dravel {

struct FolderScript {
  ScriptFile file;
  std::string picture_name;  // bytes, in the output folder
  std::string overlay_name;  // the same, with references
  ScriptResult row;
  bool reported = false;  // its child wrote its result
  std::string folder;     // the folder it is in: the class's
};

// The scripts of `class_folder`, their pictures named for the output folder
// `out` (in the class's own folder there when it has a name: two classes may
// each have a 张三.dvg); nullopt when the class cannot be listed.
std::optional<std::vector<FolderScript>> ClassScripts(const RenderOptions& options,
                                                      const std::string& out,
                                                      const ClassFolder& class_folder);

// Every name the run writes in its output folder `out`.
std::vector<std::string> WrittenNames(const RenderOptions& options, const std::string& out,
                                      const std::vector<FolderScript>& scripts);

// Each row's group of copies, looked for within each class (the scripts of
// a class are together), never between classes; a reference script's text
// is the answer, copied by nobody. A script is read for it only when it was
// handed in and is small enough to be anybody's copy: the parent never reads
// a script whole.
void MarkEveryClassesCopies(const RenderOptions& options, std::vector<FolderScript>& scripts);

}  // namespace dravel
