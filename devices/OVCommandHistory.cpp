#include "devices/OVCommandHistory.h"

namespace ov {

QString CommandHistory[HistorySize];
int HistoryCount = 0;
int HistoryStart = 0;
int HistoryCursor = 0;

void ClearCommandHistory()
{
    for (QString &line : CommandHistory)
        line.clear();
    HistoryCount = 0;
    HistoryStart = 0;
    HistoryCursor = 0;
}

} // namespace ov
