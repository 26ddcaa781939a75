// The font dialog of the preferences: a family, one of the four styles the
// settings store, a size and the two effects.
//
// A stored name may be one this system has no font of ("ＭＳ ゴシック"): the
// text is then drawn in a substitute. The dialog opens on that substitute,
// the family really seen, and gives the stored name back while it stays
// chosen, so that OK without a change keeps the setting as it was. The
// styles are offered once each whatever faces the family has; Qt draws a
// bold or an italic that a family lacks.
#pragma once

#include <QDialog>
#include <QFont>

class QCheckBox;
class QLabel;
class QListWidget;
class QSpinBox;

namespace ov {

// The family that text in `font` is really drawn in.
QString ShownFamily(const QFont &font);

class TOVFontDialog : public QDialog {
    Q_OBJECT

public:
    explicit TOVFontDialog(const QFont &font, QWidget *parent = nullptr);

    // The font chosen: the given name while its shown family is selected,
    // else the selected family; the size, styles and effects as set.
    QFont SelectedFont() const;

    QListWidget *FamilyList = nullptr;
    QListWidget *StyleList = nullptr;
    QSpinBox *SizeBox = nullptr;
    QCheckBox *StrikeOutBox = nullptr;
    QCheckBox *UnderlineBox = nullptr;
    QLabel *Sample = nullptr;

private:
    void FillFamilies();
    void FillStyles(const QFont &font);
    void ShowSample();

    QFont given_;
    QString shownFamily_;
};

} // namespace ov
