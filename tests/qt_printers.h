// Readable Qt values in test failure messages. Included into every test
// source by the build, so that all of them print a QString the same way.
#pragma once

#include <QString>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
