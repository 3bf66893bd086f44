#include "logview/pgLog.h"

void pgLog::Event_Open() {}

void pgLog::lbDates_SelectionChanged(platform::WebListBox& /*sender*/) {}

void pgLog::btDownload_Action(platform::WebButton& /*sender*/) {}

void pgLog::Event_Shown() { CreateColChecks(); }
