// A folder of one run's own for the files its children write: made under
// a given folder (the system's temporary folder when none) with a name no
// other run has, and removed with everything in it when it goes. The folder
// mode and the class hub's grader each make one per run.
#pragma once

#include <filesystem>
#include <string>

namespace dravel {

class WorkFolder {
 public:
  // `prefix` starts the folder's name ("dravel-render", "dravel-hub").
  explicit WorkFolder(const std::string& prefix, const std::filesystem::path& root = {});
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  // Empty when the folder could not be made.
  const std::string& Path() const { return path_; }
  bool Made() const { return !path_.empty(); }
  std::string In(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace dravel
