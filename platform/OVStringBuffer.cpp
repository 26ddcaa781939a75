#include "platform/OVStringBuffer.h"

#include <algorithm>

namespace ov {

void EmptyKeepingBuffer(QString &s)
{
    if (s.isDetached())
        s.resize(0);
    else
        s = QString();
}

// Resized and copied into: the library's append checks more and costs
// about twice as much on the short texts of lines and print items.
void AppendUnits(QString &s, QStringView text)
{
    const qsizetype size = s.size();
    s.resize(size + text.size());
    std::copy(text.begin(), text.end(), s.data() + size);
}

} // namespace ov
