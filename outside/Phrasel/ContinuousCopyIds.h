// Strings of continuous copy: the two-way pass and the reconciliation of file pairs.
#pragma once

#define IDS_LOG_SYNC_DELETE_FAILED 443
#define IDS_LOG_SYNC_NO_DESTINATION 52301
#define IDS_LOG_LIST_NOT_OPENED 52302
#define IDS_LOG_SYNC_KIND_CONFLICT 52303
