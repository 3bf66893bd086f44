#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logview/ccCBGroup.h"
#include "logview/dateBlock.h"
#include "platform/runtime/FolderItem.h"
#include "platform/runtime/TextInputStream.h"
#include "platform/web/WebButton.h"
#include "platform/web/WebListBox.h"
#include "platform/web/WebPage.h"

class ccColCheck;

// The log page: the dates of the log on the left, the chosen date's records in the
// table, the column check boxes on the right and the download button under them.
class pgLog : public platform::WebPage {
public:
    pgLog();
    ~pgLog() override;

    std::unique_ptr<platform::WebListBox> lbDates;
    std::unique_ptr<platform::WebListBox> lbData;
    std::unique_ptr<platform::WebButton> btDownload;
    std::unique_ptr<ccCBGroup> ccGroup;

    std::optional<platform::FolderItem> logFile;
    std::unique_ptr<platform::TextInputStream> logStream;
    std::vector<dateBlock> block;

    virtual void lbDates_SelectionChanged(platform::WebListBox& sender);
    virtual void btDownload_Action(platform::WebButton& sender);
    virtual const dateBlock* FindBlock(const std::string& date) const;
    virtual void CreateColChecks();

    void CreateBlockArray();
    static std::string StripQuotes(std::string_view s);

    void Event_Open();
    void Event_Shown();

private:
    // The check boxes made by CreateColChecks, held for the page's life.
    std::vector<std::unique_ptr<ccColCheck>> colChecks_;
};
