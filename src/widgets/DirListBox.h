// A folder list box: the open folder's ancestors from "/" down, the open
// folder itself, then its subfolders sorted by name, each indented one step
// deeper than the entry above it, like a tree opened along one path. A single
// click (or the arrow keys) highlights an entry; a double click or Enter opens
// it. Entries keep their paths as bytes, so folders whose names are not valid
// in the locale's encoding open like any other.
#pragma once

#include "widgets/FolderChooser.h"

#include <QByteArray>
#include <QListWidget>

namespace vs
{

class FileSystem;
class MessageBoxes;

class DirListBox : public QListWidget, public FolderChooser
{
    Q_OBJECT
  public:
    // `boxes` reports a folder the user tried to open but could not.
    DirListBox(FileSystem &fs, MessageBoxes &boxes, QWidget *parent = nullptr);

    QByteArray openFolder() const override { return openFolder_; }
    QByteArray highlightedFolder() const override;
    // Lists `path` and makes it the open folder, then emits changed(). A
    // folder that may not be read throws VsError 419; any other failure to
    // list it throws its own number. Either way the list stays as it was.
    void openAt(const QByteArray &path) override;
    void setToolTipText(const QString &text) override;

    // Path of the entry in `row`; empty outside the list.
    QByteArray entryPath(int row) const;
    // Row of the open folder (its depth below "/", the root being row 0).
    int openFolderRow() const { return openFolderRow_; }
    // Nesting depth of an entry, for painting its indent.
    int entryDepth(int row) const;

    static constexpr int kIndentPixels = 12;

  signals:
    // The open folder changed.
    void changed();
    // An entry was highlighted without being opened.
    void highlighted(const QByteArray &path);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void openEntry(int row);
    void showHighlightedFolder(int row);

    FileSystem &fs_;
    MessageBoxes &boxes_;
    QByteArray openFolder_;
    int openFolderRow_ = -1;
};

} // namespace vs
