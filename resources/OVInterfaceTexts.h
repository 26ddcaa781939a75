// The program's interface texts: menu captions, hints, window titles,
// messages and the default texts of the settings, each found by a 16-bit id.
// The table is compiled into the program; callers look a text up each time
// they show it, so nothing holds a stale copy.
#pragma once

#include <QString>
#include <QtGlobal>
#include <span>

namespace ov {

struct InterfaceTextEntry {
    quint16 Id;
    const char16_t *Text;
};

// The whole table, sorted by id with no id twice.
std::span<const InterfaceTextEntry> InterfaceTextTable();

// The text of `id`, or an empty string when the table has no such id.
QString InterfaceText(int id);

// Ids that callers fill in rather than show as they stand.
inline constexpr int itxModifiedPrompt = 65172;  // "%s ..." : file name
inline constexpr int itxLineColumn = 65174;      // " %4d 行， %4d 桁" : caret line, column

// The close question of a modified editor, with `fileName` in place of %s.
QString ModifiedPromptText(const QString &fileName);

// The caret position of the editor's status bar: each number right-aligned
// in four places (wider numbers are shown in full).
QString LineColumnText(int line, int column);

}  // namespace ov
