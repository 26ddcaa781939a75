#include "environment/OVFontDialog.h"

#include "devices/OVQFont.h"
#include "resources/OVInterfaceTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

namespace ov {

namespace {

// The styles in the order offered, each with the style set it stands for.
struct StyleItem {
    const char16_t *Caption;
    FontStyleSet Styles;
};
constexpr StyleItem kStyleItems[] = {{u"標準", 0}, {u"斜体", 2}, {u"太字", 1}, {u"太字 斜体", 3}};

constexpr FontStyleSet kBoldItalic = 3;
constexpr FontStyleSet kUnderline = 4;
constexpr FontStyleSet kStrikeOut = 8;

QLabel *Caption(const char16_t *text, QWidget *parent)
{
    return new QLabel(QString::fromUtf16(text), parent);
}

} // namespace

QString ShownFamily(const QFont &font)
{
    return QFontInfo(font).family();
}

TOVFontDialog::TOVFontDialog(const QFont &font, QWidget *parent)
    : QDialog(parent), given_(font), shownFamily_(ShownFamily(font))
{
    setWindowTitle(QStringLiteral(u"フォント"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(Caption(u"フォント名", this), 0, 0);
    grid->addWidget(Caption(u"スタイル", this), 0, 1);
    grid->addWidget(Caption(u"サイズ", this), 0, 2);

    FamilyList = new QListWidget(this);
    StyleList = new QListWidget(this);
    SizeBox = new QSpinBox(this);
    SizeBox->setRange(1, 999);
    SizeBox->setValue(font.pointSize() > 0 ? font.pointSize() : 10);
    grid->addWidget(FamilyList, 1, 0);
    grid->addWidget(StyleList, 1, 1);
    grid->addWidget(SizeBox, 1, 2, Qt::AlignTop);
    FillFamilies();
    FillStyles(font);

    StrikeOutBox = new QCheckBox(QStringLiteral(u"取り消し線"), this);
    UnderlineBox = new QCheckBox(QStringLiteral(u"下線"), this);
    StrikeOutBox->setChecked(font.strikeOut());
    UnderlineBox->setChecked(font.underline());
    grid->addWidget(StrikeOutBox, 2, 0);
    grid->addWidget(UnderlineBox, 2, 1);

    Sample = new QLabel(QStringLiteral(u"AaBbYyZz 012 あア亜"), this);
    Sample->setFrameShape(QFrame::StyledPanel);
    Sample->setMinimumHeight(60);
    Sample->setAlignment(Qt::AlignCenter);
    grid->addWidget(Sample, 3, 0, 1, 3);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->addButton(InterfaceText(65207), QDialogButtonBox::RejectRole);  // キャンセル
    grid->addWidget(buttons, 4, 0, 1, 3);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(FamilyList, &QListWidget::currentRowChanged, this, &TOVFontDialog::ShowSample);
    connect(StyleList, &QListWidget::currentRowChanged, this, &TOVFontDialog::ShowSample);
    connect(SizeBox, &QSpinBox::valueChanged, this, &TOVFontDialog::ShowSample);
    connect(StrikeOutBox, &QCheckBox::toggled, this, &TOVFontDialog::ShowSample);
    connect(UnderlineBox, &QCheckBox::toggled, this, &TOVFontDialog::ShowSample);
    ShowSample();
}

// Every family of the system; the shown family is selected (and listed
// first should the database not name it).
void TOVFontDialog::FillFamilies()
{
    QStringList families = QFontDatabase::families();
    if (!families.contains(shownFamily_))
        families.prepend(shownFamily_);
    FamilyList->addItems(families);
    FamilyList->setCurrentRow(int(families.indexOf(shownFamily_)));
}

void TOVFontDialog::FillStyles(const QFont &font)
{
    const FontStyleSet current = FontStylesOf(font) & kBoldItalic;
    for (const StyleItem &item : kStyleItems) {
        auto *row = new QListWidgetItem(QString::fromUtf16(item.Caption), StyleList);
        row->setData(Qt::UserRole, int(item.Styles));
        if (item.Styles == current)
            StyleList->setCurrentItem(row);
    }
}

QFont TOVFontDialog::SelectedFont() const
{
    QFont font = given_;
    const QListWidgetItem *family = FamilyList->currentItem();
    if (family != nullptr && family->text() != shownFamily_)
        font.setFamily(family->text());
    font.setPointSize(SizeBox->value());
    const QListWidgetItem *style = StyleList->currentItem();
    FontStyleSet styles = style != nullptr ? FontStyleSet(style->data(Qt::UserRole).toInt()) : 0;
    if (UnderlineBox->isChecked())
        styles |= kUnderline;
    if (StrikeOutBox->isChecked())
        styles |= kStrikeOut;
    ApplyFontStyles(font, styles);
    return font;
}

void TOVFontDialog::ShowSample()
{
    Sample->setFont(SelectedFont());
}

} // namespace ov
