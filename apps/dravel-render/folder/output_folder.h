// Where a folder run writes and what it may replace there. Without -o it
// writes into a folder of its own beside the class folder (五年级1班 ->
// 五年级1班-批改), never among the pupils' files. In that folder it replaces
// only what an earlier run wrote: a manifest (kManifestName) records each
// file it wrote as the file system then held it (inode, time of change,
// size), so a teacher's own summary.csv, a file a teacher edited since, or
// a pupil's own picture is in the way and stops the run before it writes
// anything, unless the teacher says --overwrite. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dravel {

inline constexpr char kManifestName[] = ".dravel-render-files";

// The folder beside `class_folder` named after it with "-批改" (in GBK when
// the class folder's own name is GBK); nullopt when it has no name (/).
std::optional<std::string> DefaultOutputFolder(const std::string& class_folder);

// Of `names` (to be written into `folder`), those that stand in the way:
// present, and not a regular file an earlier run's manifest records as it
// is now. A name recorded without its file (claimed by a run cut short) is
// the run's own. The manifest itself is in the way when it is not one.
std::vector<std::string> InTheWay(const std::string& folder, const std::vector<std::string>& names);

// Records `names` in `folder`'s manifest as the run's own, as they now are,
// keeping the earlier records of files still there: before the run writes
// (`claim_absent`: a name not yet written as claimed) and after it (a name
// it did not write left out). 0 or the errno of writing the manifest.
int RecordOwnFiles(const std::string& folder, const std::vector<std::string>& names,
                   bool claim_absent);

// What stops a run that would write `names` into `folder` where files no
// earlier run wrote stand (InTheWay), in the teacher's language; nullopt
// when none does.
std::optional<std::string> InTheWayMessage(const std::string& folder,
                                           const std::vector<std::string>& names);

// `folder` made with each of `subfolders` in it, and `names` claimed in its
// manifest before any is written, so that a run cut short still owns them;
// what failed, in the teacher's language, or nullopt.
std::optional<std::string> MadeOutputFolder(const std::string& folder,
                                            const std::vector<std::string>& subfolders,
                                            const std::vector<std::string>& names);

}  // namespace dravel
