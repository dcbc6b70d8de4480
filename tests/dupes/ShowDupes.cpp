// Shows the duplicate finder over a small example tree, after a tree scan,
// with one row selected, for looking at it under a virtual display. With
// "--grab <file.png>" it saves a picture of the window as the display shows
// it and quits. With "--actions" first, the extra copies are selected by the
// first rule, a hard link is listed, and the row menu is open, as the actions
// on the list look.
#include "dupes/Form2.h"
#include "support/TempTree.h"
#include "widgets/FolderChooser.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool actions = args.size() > 1 && args[1] == QStringLiteral("--actions");
    if (actions)
        args.removeAt(1);

    vs::test::TempTree tree;
    tree.file("Фото/Отпуск 2023/IMG_0412.jpg", 254871, 'j');
    tree.file("Фото/Разобрать/IMG_0412 (копия).jpg", 254871, 'j');
    tree.file("Фото/Разобрать/IMG_0412 (2).jpg", 254871, 'j');
    tree.file("Документы/Отчёт за квартал.docx", 48213, 'd');
    tree.file("Загрузки/Отчёт за квартал(1).docx", 48213, 'd');
    tree.file("Музыка/Альбом/01 - Вступление.mp3", 5123987, 'm');
    tree.file("Загрузки/01 - Вступление.mp3", 5123987, 'm');
    tree.file("Загрузки/setup.tar.gz", 918273, 's');
    tree.file("Документы/Договор.pdf", 331022, 'p');
    if (actions)
        tree.hardlink("Музыка/Альбом/01 - Вступление.mp3", "Музыка/Избранное - Вступление.mp3");

    // The dialog answers with the first photo; the clock makes the scan take
    // a round 0.4375 seconds.
    vs::Form2Extras extras;
    const QString chosen = QString::fromUtf8(tree.path("Фото/Отпуск 2023/IMG_0412.jpg"));
    extras.openFileDialog = [chosen](QWidget *, const QString &) { return chosen; };
    std::vector<double> readings{10.0, 10.4375};
    extras.clock = [&readings] {
        if (readings.empty())
            return 0.0;
        const double v = readings.front();
        readings.erase(readings.begin());
        return v;
    };
    vs::Form2 form(vs::DefaultWindowServices(), extras);
    form.show();
    dynamic_cast<vs::FolderChooser *>(form.findChild<QWidget *>(QStringLiteral("Dir1")))->openAt(tree.root());
    form.chooseFileByDialog();
    form.startTreeScan();
    auto *list = form.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    list->setCurrentItem(list->topLevelItem(2));
    form.move(40, 40);
    if (actions) {
        form.resize(940, form.height()); // room for the space panel's whole text
        form.selectExtraCopies(vs::KeepRule::FirstInGroup);
        QTimer::singleShot(500, &form, [&form, list] {
            auto *menu = form.findChild<QMenu *>(QStringLiteral("m_mnu"));
            const QRect row = list->visualItemRect(list->topLevelItem(2));
            menu->popup(list->viewport()->mapToGlobal(row.center()));
        });
    }

    if (args.size() == 3 && args[1] == QStringLiteral("--grab")) {
        QTimer::singleShot(1500, &app, [&form, file = args[2]] {
            const QRect frame = form.frameGeometry();
            const QPixmap shot =
                form.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
            QApplication::exit(shot.save(file, "PNG") ? 0 : 1);
        });
    }
    return app.exec();
}
