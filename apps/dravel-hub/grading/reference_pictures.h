// The pictures of the references the grader has met: a set of references
// runs in children the first time a hand-in meets it and, when every one of
// them can be a reference, its pictures (PNG bytes) are kept, so each later
// hand-in against the same set runs its own script alone, as the folder mode
// makes its reference ready once for a whole class. Keyed by the references'
// text itself, so changed references are a new set; a set that failed is
// not kept (the next hand-in tries it again). Keeps the few sets used last.
// Thread-safe; what a picture is and how it is made are the grader's.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace dravel::hub {

class ReferencePictures {
 public:
  using Pictures = std::vector<std::string>;  // one PNG per reference, in order

  // The sets a class's lesson has at once are few: one or two assignments,
  // each of up to 20 small pictures.
  static constexpr size_t kSetsKept = 8;

  // The pictures kept for `gbk_references`, or null.
  std::shared_ptr<const Pictures> Find(const std::vector<std::string>& gbk_references);

  // Keeps `pictures` for `gbk_references`, forgetting the set used longest ago
  // beyond kSetsKept.
  void Keep(const std::vector<std::string>& gbk_references, Pictures pictures);

 private:
  using Entry = std::pair<std::vector<std::string>, std::shared_ptr<const Pictures>>;

  std::mutex mutex_;
  std::list<Entry> sets_;  // the one used last first
};

}  // namespace dravel::hub
