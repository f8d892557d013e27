// The teacher's term's-end files, made by term/ from the store's records and
// served to the teacher of the class alone: the printable login cards, an
// assignment's report page, the gradebook (CSV in UTF-8 or GBK, .xlsx) and
// the class's export archive. Downloads carry their file names.
#pragma once

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

HubReply ClassCards(RouteContext& context);
HubReply AssignmentReport(RouteContext& context);
HubReply ClassGradebookCsv(RouteContext& context);
HubReply ClassGradebookXlsx(RouteContext& context);
HubReply ClassExport(RouteContext& context);

}  // namespace dravel::hub
