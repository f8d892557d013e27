// Replies that carry a file rather than JSON: a page the browser shows (the
// login cards, a report) and a download saved under a name the teacher
// reads. Both are private to the teacher, so neither is kept by a cache.
#pragma once

#include <string>
#include <string_view>

#include "apps/dravel-hub/hub_exchange.h"

namespace dravel::hub {

// `html` (UTF-8) as a page.
HubReply PageReply(std::string html);

// `bytes` to be saved as `utf8_name` (every typed part of it already passed
// through SafeFileName), or as `ascii_name` by a browser that cannot read a
// UTF-8 name.
HubReply DownloadReply(std::string content_type, std::string bytes, std::string_view utf8_name,
                       std::string_view ascii_name);

// The Content-Disposition value naming both: `attachment;
// filename="ascii"; filename*=UTF-8''percent-encoded`.
std::string AttachmentHeader(std::string_view utf8_name, std::string_view ascii_name);

}  // namespace dravel::hub
