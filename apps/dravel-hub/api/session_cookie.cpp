#include "apps/dravel-hub/api/session_cookie.h"

#include "apps/dravel-hub/security/hub_secrets.h"
#include "apps/dravel-hub/unix_time.h"

namespace dravel::hub {
namespace {

constexpr std::string_view kCookieNames[] = {"hub_teacher", "hub_pupil"};
// A school day with room to spare.
constexpr int64_t kSessionSeconds = 12 * 60 * 60;

std::string_view CookieName(SessionRole role) { return kCookieNames[static_cast<int>(role)]; }

std::string CookieHeader(SessionRole role, std::string_view token, int64_t max_age, bool secure) {
  std::string header = std::string(CookieName(role)) + "=" + std::string(token) +
                       "; Path=/; HttpOnly; SameSite=Strict; Max-Age=" + std::to_string(max_age);
  if (secure) header += "; Secure";
  return header;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

void StartSession(RouteContext& context, SessionRole role, int64_t owner_id, HubReply& reply) {
  const std::string token = NewSessionToken();
  const int64_t now = UnixNow();
  context.Store().AddSession({TokenHash(token), role, owner_id, now + kSessionSeconds}, now);
  reply.headers.emplace_back("Set-Cookie",
                             CookieHeader(role, token, kSessionSeconds, context.request.secure));
}

void EndSession(RouteContext& context, SessionRole role, HubReply& reply) {
  const std::string token = CookieValue(context.request.cookie, CookieName(role));
  if (!token.empty()) context.Store().RemoveSession(TokenHash(token));
  reply.headers.emplace_back("Set-Cookie", CookieHeader(role, "", 0, context.request.secure));
}

std::optional<Caller> SessionCaller(const HubRequest& request, HubStore& store, SessionRole role) {
  const std::string token = CookieValue(request.cookie, CookieName(role));
  if (token.empty()) return std::nullopt;
  const std::optional<SessionRecord> session = store.FindSession(TokenHash(token), UnixNow());
  if (!session || session->role != role) return std::nullopt;
  Caller caller{role, 0, {}};
  if (role == SessionRole::kTeacher) {
    caller.teacher_id = session->owner_id;
    return caller;
  }
  std::optional<PupilRecord> pupil = store.FindPupil(session->owner_id);
  if (!pupil) return std::nullopt;
  caller.pupil = std::move(*pupil);
  return caller;
}

std::string CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const size_t end = header.find(';');
    const std::string_view pair = Trimmed(header.substr(0, end));
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
    const size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == name) {
      return std::string(pair.substr(equals + 1));
    }
  }
  return "";
}

}  // namespace dravel::hub
