#include "app/App.h"
#include "app/Current.h"
#include "logview/LineFields.h"
#include "logview/pgLog.h"
#include "platform/runtime/Yield.h"

void pgLog::Event_Open() {
    platform::FolderItem drive("/mnt/pen");
    if (!drive.Exists()) MsgBox("USB drive not found");
    logFile = drive.Child("userdata.csv");
    if (!logFile->Exists()) {
        MsgBox("Cannot find the Log file.");
        return;
    }
    logStream = platform::TextInputStream::Open(*logFile);
    CreateBlockArray();
    for (const dateBlock& entry : block) {
        lbDates->AddRow({entry.logDate});
        platform::YieldToPendingWork();
    }
    lbDates->SetListIndex(lbDates->RowCount() - 1);

    auto download = platform::WebFile::Open(*logFile, true);
    download->SetForceDownload(true);
    current::App().webFile = std::move(download);
}

void pgLog::lbDates_SelectionChanged(platform::WebListBox& /*sender*/) {
    // Row k of the date list is block k: a date listed twice shows the run of its own row.
    const int row = lbDates->ListIndex();
    if (row < 0) {
        lbData->DeleteAllRows();
        return;
    }
    const dateBlock& b = block.at(static_cast<std::size_t>(row));
    // Up to the next run's first byte, so that a one-byte last line (a bare line feed) is shown.
    const bool last = static_cast<std::size_t>(row) + 1 == block.size();
    const std::int64_t end = last ? b.lastByte : b.lastByte + 1;

    logStream->SetPositionB(b.firstByte);
    lbData->DeleteAllRows();
    while (static_cast<std::int64_t>(logStream->PositionB()) < end) {
        std::vector<std::string> fields = SplitFields(logStream->ReadLineView(kLongestLine));
        fields.erase(fields.begin());
        for (auto& field : fields) {
            if (field.find('"') != std::string::npos) field = StripQuotes(field);
            platform::YieldToPendingWork();
        }
        lbData->AddRow(std::move(fields));
        platform::YieldToPendingWork();
        if (logStream->IsEOF()) break;  // the file shrank under us: nothing more to show
    }
}

void pgLog::btDownload_Action(platform::WebButton& /*sender*/) {
    const auto file = current::App().webFile.load();
    if (!file) {
        // No page has found the log since the server started.
        MsgBox("Cannot find the Log file.");
        return;
    }
    ShowURL(file->URL(), false);
}

void pgLog::Event_Shown() { CreateColChecks(); }
