#include "ProgramSettings.h"

#include "Form1.h"
#include "dupes/Form2.h"
#include "dupes/SizeRange.h"
#include "scan/ResultList.h"
#include "util/ByteCount.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vs
{

namespace
{

const QString kGeometry = QStringLiteral("MainWindow/geometry");
const QString kDivider = QStringLiteral("MainWindow/divider");
const QString kSortColumn = QStringLiteral("ResultList/sortColumn");
const QString kSortOrder = QStringLiteral("ResultList/sortOrder");
const QString kDiskUsage = QStringLiteral("ResultList/diskUsage");
const QString kFrom = QStringLiteral("Duplicates/from");
const QString kTo = QStringLiteral("Duplicates/to");
const QString kUnit = QStringLiteral("Duplicates/unit");
const QString kUpperBound = QStringLiteral("Duplicates/upperBound");

const QString kAscending = QStringLiteral("ascending");
const QString kDescending = QStringLiteral("descending");

// A whole number kept as text; nothing when it is missing or not one.
bool readInt(const QSettings &s, const QString &key, int low, int high, int &out)
{
    bool ok = false;
    const int v = s.value(key).toString().toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    out = v;
    return true;
}

bool readBool(const QSettings &s, const QString &key, bool &out)
{
    const QString v = s.value(key).toString();
    if (v != QLatin1String("true") && v != QLatin1String("false"))
        return false;
    out = v == QLatin1String("true");
    return true;
}

// The panel's controls, by their design names.
struct Panel {
    explicit Panel(const Form2 &finder)
        : from(finder.findChild<QLineEdit *>(QStringLiteral("Text2"))),
          to(finder.findChild<QLineEdit *>(QStringLiteral("Text3"))),
          useMax(finder.findChild<QCheckBox *>(QStringLiteral("Check1")))
    {
        for (int i = 0; i < 4; ++i)
            units[i] = finder.findChild<QRadioButton *>(QStringLiteral("Option1_%1").arg(i));
    }
    bool complete() const { return from && to && useMax && units[0] && units[1] && units[2] && units[3]; }
    QLineEdit *from;
    QLineEdit *to;
    QCheckBox *useMax;
    QRadioButton *units[4] = {};
};

} // namespace

bool IsUsableSizeRange(const SizeRangeEntry &entry)
{
    if (entry.unit < 0 || entry.unit > 3)
        return false;
    const QString sep = UserDecimalSeparator();
    for (const QString *text : {&entry.from, &entry.to}) {
        if (TidyFieldText(*text) != *text)
            return false;
        if (!ReadByteLabel(FieldBytesText(*text, entry.unit, sep), sep))
            return false;
    }
    return !entry.useMax || LeadingNumber(entry.from) <= LeadingNumber(entry.to);
}

ProgramSettings::ProgramSettings()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Volumescope"),
                QStringLiteral("volumescope"))
{
}

ProgramSettings::ProgramSettings(const QString &file) : settings_(file, QSettings::NativeFormat) {}

void ProgramSettings::restoreMainWindow(Form1 &form)
{
    const QVariant geometry = settings_.value(kGeometry);
    if (geometry.typeId() == QMetaType::QByteArray)
        form.restoreGeometry(geometry.toByteArray());
    int divider = 0;
    if (readInt(settings_, kDivider, 0, 1000000, divider))
        form.placeDivider(divider);
    int column = 0;
    const QString order = settings_.value(kSortOrder).toString();
    if (readInt(settings_, kSortColumn, 1, ResultList::kColumns, column) &&
        (order == kAscending || order == kDescending)) {
        // The list starts ascending; a sort that does not keep the order
        // turns it.
        form.resultList()->sortBy(column, order == kAscending);
    }
    bool diskUsage = false;
    if (readBool(settings_, kDiskUsage, diskUsage))
        form.setMeasure(diskUsage ? SizeMeasure::OnDisk : SizeMeasure::Apparent);
}

void ProgramSettings::saveMainWindow(const Form1 &form)
{
    settings_.setValue(kGeometry, form.saveGeometry());
    settings_.setValue(kDivider, QString::number(RoundHalfEven(form.dividerLeftTwips())));
    const ResultList *list = form.resultList();
    if (list->sortColumn() != 0) {
        settings_.setValue(kSortColumn, QString::number(list->sortColumn()));
        settings_.setValue(kSortOrder, list->sortOrder() == Qt::AscendingOrder ? kAscending : kDescending);
    }
    settings_.setValue(kDiskUsage, form.measure() == SizeMeasure::OnDisk ? QStringLiteral("true")
                                                                         : QStringLiteral("false"));
    settings_.sync();
}

bool ProgramSettings::readSizeRange(SizeRangeEntry &entry) const
{
    SizeRangeEntry e;
    if (!settings_.contains(kFrom))
        return false;
    e.from = settings_.value(kFrom).toString();
    e.to = settings_.value(kTo).toString();
    if (!readInt(settings_, kUnit, 0, 3, e.unit) || !readBool(settings_, kUpperBound, e.useMax) ||
        !IsUsableSizeRange(e))
        return false;
    entry = e;
    return true;
}

void ProgramSettings::writeSizeRange(const SizeRangeEntry &entry)
{
    settings_.setValue(kFrom, entry.from);
    settings_.setValue(kTo, entry.to);
    settings_.setValue(kUnit, QString::number(entry.unit));
    settings_.setValue(kUpperBound, entry.useMax ? QStringLiteral("true") : QStringLiteral("false"));
    settings_.sync();
}

void ProgramSettings::restoreSizeRange(Form2 &finder)
{
    SizeRangeEntry entry;
    const Panel panel(finder);
    if (!panel.complete() || !readSizeRange(entry))
        return;
    // Clicks and typing, in the order a user would: each updates the byte
    // labels that "Закрыть" reads.
    panel.units[entry.unit]->click();
    panel.from->setText(entry.from);
    panel.to->setText(entry.to);
    if (panel.useMax->isChecked() != entry.useMax)
        panel.useMax->click();
    finder.applySettingsAndClose();
}

void ProgramSettings::saveSizeRange(const Form2 &finder)
{
    const Panel panel(finder);
    if (!panel.complete())
        return;
    SizeRangeEntry entry;
    entry.from = panel.from->text();
    entry.to = panel.to->text();
    for (int i = 0; i < 4; ++i)
        if (panel.units[i]->isChecked())
            entry.unit = i;
    entry.useMax = panel.useMax->isChecked();
    writeSizeRange(entry);
}

} // namespace vs
