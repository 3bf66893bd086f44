#include "app/Current.h"
#include "app/Session.h"
#include "logview/ccColCheck.h"
#include "logview/pgLog.h"
#include "platform/runtime/RuntimeException.h"
#include "platform/runtime/Yield.h"

void pgLog::CreateColChecks() {
    ::Session* session = current::Session();
    if (!session) throw platform::NilObjectException("no current session");
    for (int i = 1; i <= lbData->ColumnCount() - 1; ++i) {
        colChecks_.push_back(std::make_unique<ccColCheck>());
        ccColCheck& check = *colChecks_.back();
        check.EmbedWithin(*ccGroup, 10, 50 * i - 30, 200, 40);
        check.cbCol->SetCaption(lbData->Heading(i));
        check.SetLockRight(true);
        check.col = i;
        // Caption and column are set first: the value below may run the handler, which reads both.
        const std::string value = session->Cookies().Value("Col" + check.cbCol->Caption());
        if (value == "0") {
            check.cbCol->SetValue(false);
            lbData->SetColumnWidth(i, "0");
        } else {
            check.cbCol->SetValue(true);
            lbData->SetColumnWidth(i, "*");
        }
        platform::YieldToPendingWork();
    }
}
