// The names of a folder run's pictures in its output folder: each script's
// base name with the picture's extension, or, where that name is taken (by
// an earlier script's picture or by a file the run writes itself), the base
// name with the first free number: a.png, a-2.png. Names are compared as
// they are shown, without regard to case or to how an accent is written
// (name_looks.h), since the output folder may be on a disk that does not
// tell a.png from A.png, Ä.png from ä.png, or é written two ways apart.
#pragma once

#include <string>
#include <vector>

namespace dravel {

// One picture name per script name (bytes, each ending in .dvg in any case),
// in the same order; none equal to another or to one of `reserved`.
std::vector<std::string> PictureNames(const std::vector<std::string>& script_names,
                                      const std::string& extension,
                                      const std::vector<std::string>& reserved);

}  // namespace dravel
