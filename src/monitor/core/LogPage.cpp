#include "monitor/core/LogPage.h"

#include "monitor/core/LineSink.h"

namespace marrowlight {

void ResetLog(LogPage& page, LineSink& list) {
    page.Load.reset();
    page.ReadPos = 0;
    page.ScanPos = 0;
    page.FileStamp.reset();
    page.LineCount = 0;
    list.ClearLines();
    page.MaxLineLen = 0;
    page.Encoding = LogEncoding::Unknown;
    page.TextStart = 0;
    page.Identity.reset();
    page.Head.clear();
    page.File.reset();
    page.LeftBehindRead = false;
    page.FollowFromStart = false;
    page.GoneIdentity.reset();
    page.GoneHead.clear();
    page.GoneReadPos = 0;
}

} // namespace marrowlight
