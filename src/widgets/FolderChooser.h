// The folder list box (Dir1) as the scan and the drill-down see it: an open
// folder, a highlighted entry, and a way to open another folder.
#pragma once

#include <QByteArray>

namespace vs
{

class FolderChooser
{
  public:
    virtual ~FolderChooser() = default;
    // The open folder.
    virtual QByteArray openFolder() const = 0;
    // The highlighted entry: the open folder unless the user single-clicked
    // another entry since the list last changed folder.
    virtual QByteArray highlightedFolder() const = 0;
    // Makes `path` the open folder and raises the change event. Throws VsError
    // 419 when the folder may not be read (the list stays where it was).
    virtual void openAt(const QByteArray &path) = 0;
    // The tool tip of the list box.
    virtual void setToolTipText(const QString &text) = 0;
};

} // namespace vs
