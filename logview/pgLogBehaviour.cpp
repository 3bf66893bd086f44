#include "app/App.h"
#include "app/Current.h"
#include "logview/DateRows.h"
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
    logStream->ReleaseBuffer();
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
        lbData->SetAccessibleName("");
        return;
    }
    const dateBlock& b = block.at(static_cast<std::size_t>(row));
    // A screen reader names the table after the date it shows.
    lbData->SetAccessibleName(b.logDate);
    // Up to the next run's first byte, so that a one-byte last line (a bare LF) is shown.
    const bool last = static_cast<std::size_t>(row) + 1 == block.size();
    const std::int64_t end = last ? b.lastByte : b.lastByte + 1;
    // The rows are read from the log when the table sends them, by seeking into the run.
    lbData->SetRows(std::make_unique<DateRows>(*logStream, b.firstByte, end, b.lineCount));
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
