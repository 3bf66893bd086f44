#include "logview/ccColCheck.h"
#include "logview/pgLog.h"

void pgLog::CreateColChecks() {}
