#include "support/turtle_fakes.h"

#include "runtime/value.h"

namespace dravel::testing {
namespace {

class SessionGate final : public ForwardingTurtle {
 public:
  SessionGate(TurtleOperations& target, const RunSession& session, std::mutex& mutex)
      : ForwardingTurtle(&target), session_(session), mutex_(mutex) {}

 protected:
  void Carry(const std::function<void()>& call) override {
    std::lock_guard lock(mutex_);
    if (!session_.Stopped()) call();
  }

 private:
  const RunSession& session_;
  std::mutex& mutex_;
};

}  // namespace

std::vector<std::string> RecordingTurtle::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

void RecordingTurtle::WaitForCalls(size_t count) const {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return calls_.size() >= count; });
}

void RecordingTurtle::Record(std::string call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(std::move(call));
  changed_.notify_all();
}

std::string RecordingTurtle::Word(double number) { return ToText(number); }

std::string RecordingTurtle::Word(std::string_view gbk_text) { return Utf8(gbk_text); }

std::unique_ptr<TurtleOperations> FakeRunCanvas::TurtleFor(const RunSession& session) {
  return std::make_unique<SessionGate>(target_, session, mutex_);
}

void FakeRunCanvas::UnderDrawingLock(const std::function<void()>& step) {
  std::lock_guard lock(mutex_);
  step();
}

}  // namespace dravel::testing
