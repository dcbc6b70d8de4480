// What the program keeps between runs, in one settings file of the desktop's
// usual kind (~/.config/Volumescope/volumescope.conf): the main window's place
// and size, the divider, the sort of the result list and its measure (the
// "Размер на диске" switch), and the duplicate finder's size range as it was
// entered at its last "Закрыть". Every value is
// checked when read; a missing or damaged file, or a value out of range,
// leaves that part as the window opens without settings. The state a window
// opens in otherwise stays: the folder lists start on the current folder and
// the list is empty until the first scan.
#pragma once

#include <QSettings>
#include <QString>

namespace vs
{

class Form1;
class Form2;

// The size range as the settings panel holds it: the two fields' texts, the
// unit (0 bytes to 3 GiB) and whether the upper bound is on.
struct SizeRangeEntry {
    QString from;
    QString to;
    int unit = 0;
    bool useMax = false;
};

// Whether the panel would take the entry without a message: both numbers
// fit the range the program holds and, with the upper bound on, are in order.
bool IsUsableSizeRange(const SizeRangeEntry &entry);

class ProgramSettings
{
  public:
    // The user's settings file.
    ProgramSettings();
    // Another file (tests, a second profile).
    explicit ProgramSettings(const QString &file);

    QString fileName() const { return settings_.fileName(); }

    // Before the main window is first shown.
    void restoreMainWindow(Form1 &form);
    void saveMainWindow(const Form1 &form);

    // The entry kept, or nothing when none is kept or it is not usable.
    bool readSizeRange(SizeRangeEntry &entry) const;
    void writeSizeRange(const SizeRangeEntry &entry);
    // Enters the kept range into a new duplicate finder's panel and closes
    // the panel, as the user would; the first opening then shows it.
    void restoreSizeRange(Form2 &finder);
    // Keeps what the panel held at its last accepted "Закрыть".
    void saveSizeRange(const Form2 &finder);

    void sync() { settings_.sync(); }

  private:
    QSettings settings_;
};

} // namespace vs
