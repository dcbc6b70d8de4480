// What the duplicate engine needs from whoever drives it (the window Form2,
// the benchmark, tests): the event-loop yield, the stop flag, the size range,
// the error box, the progress picture, and, for the one-file search, the
// chosen file and a sink for result rows. The engine calls all of it on the
// caller's thread only.
#pragma once

#include "util/ByteCount.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace vs
{

// Row colours as 0x00BBGGRR values (the list's background is grey).
constexpr uint32_t kDupeCyan = 0xFFFF00;
constexpr uint32_t kDupeYellow = 0x00FFFF;

// Tool tip of the chosen file's own row in the one-file search.
inline QString SameFileMarker()
{
    return QStringLiteral(" <- Один и тот же файл!");
}

// One result row, as plain data; the window turns it into a list item:
// text = path (shown with DisplayPath), "Размер" = SizeText(size),
// "CRC" = QString::number(checksum), all three in `colour`, tool tip `toolTip`.
struct DupeRow {
    QByteArray path;
    ByteCount size;
    int32_t checksum = 0;
    uint32_t colour = kDupeCyan;
    QString toolTip;
    // The file as it was when its contents were read (a tree scan's rows):
    // device, inode and modification time; inode 0 when not given.
    struct Identity {
        uint64_t dev = 0, ino = 0;
        int64_t mtimeNs = 0;
        bool known() const { return ino != 0; }
    } seen;

    bool isYellow() const { return colour == kDupeYellow; }
    // Equal as shown in the list.
    friend bool operator==(const DupeRow &a, const DupeRow &b)
    {
        return a.path == b.path && a.size == b.size && a.checksum == b.checksum && a.colour == b.colour &&
               a.toolTip == b.toolTip;
    }
};

// A file's contents as far as duplicate finding cares: the image checksum
// shown in the CRC column and a 128-bit hash of the whole contents, computed
// in one read. `readable` is false when the file could not be opened or read
// to the end; such a file equals nothing, not even another unreadable one.
struct FileContent {
    int32_t checksum = 0;
    std::array<uint64_t, 2> digest{};
    bool readable = false;

    // Equal contents (and so equal checksums); false when either is unreadable.
    bool sameAs(const FileContent &o) const
    {
        return readable && o.readable && digest == o.digest && checksum == o.checksum;
    }
};

// The file whose copies the one-file search looks for (the window's
// chosenPath, chosenSize, chosenSum, plus the contents behind the sum).
struct ChosenFile {
    QByteArray path;           // chosenPath; empty while none is chosen
    ByteCount size;            // chosenSize
    int32_t checksum = 0;      // chosenSum
    FileContent content;       // contents read when the file was taken
    uint64_t dev = 0, ino = 0; // identity of the file taken (0 when unknown)
};

class DupeHost
{
  public:
    virtual ~DupeHost() = default;

    // Once per directory entry: let the window process its events.
    virtual void yield() = 0;
    // The stop flag; a walk returns at its next stop check once this is false.
    virtual bool scanRunning() const = 0;

    // The size range of the collecting walk, read again at every file.
    virtual int useMaxSize() const { return 0; }
    virtual ByteCount minSizeBytes() const { return {}; }
    virtual ByteCount maxSizeBytes() const { return {}; }

    // A walk error the user must see: an exclamation box with this text and title.
    virtual void showError(int number, const QString &text, const QString &title) = 0;

    // Matching walk: show picture `image` (1..17 of ImageList1) in status panel 2.
    virtual void stepPicture(int image) { (void)image; }

    // Matching walk: the chosen file, read again at every file (the user may
    // take another one while the search runs).
    virtual const ChosenFile &chosenFile() const
    {
        static const ChosenFile none;
        return none;
    }
    // Matching walk: a copy of the chosen file was found; add it to the list.
    virtual void addRow(const DupeRow &row) { (void)row; }

    // Called on the caller's thread every 10 milliseconds or so while the
    // candidate files of a tree scan are read after the walk (the only long
    // step that the walk itself does not pace). The window may repaint here.
    // Returning false abandons the reading: only sizes whose files were all
    // read by then are listed.
    virtual bool contentProgress(int64_t bytesDone, int64_t bytesTotal)
    {
        (void)bytesDone;
        (void)bytesTotal;
        return true;
    }
};

} // namespace vs
