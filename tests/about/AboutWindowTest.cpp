#include "about/ColourLegend.h"
#include "about/ProgramIcon.h"
#include "about/SeparatorLine.h"
#include "about/frmAbout.h"
#include "support/QuitWatch.h"
#include "widgets/ImageList.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using vs::frmAbout;

namespace
{

// Opens About windows as the program does (one at a time is ProgramWindows'
// business, tested in tests/app) and deletes any left open by a failed test
// so the next one starts clean.
class AboutWindow : public ::testing::Test
{
  protected:
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<frmAbout *>(w))
                delete w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static frmAbout *open()
    {
        auto *w = new frmAbout;
        w->show();
        return w;
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

QRect geometryOf(QWidget *w, const char *name)
{
    auto *child = w->findChild<QWidget *>(QString::fromLatin1(name));
    return child ? child->geometry() : QRect(-1, -1, -1, -1);
}

QString textOf(QWidget *w, const char *name)
{
    if (auto *label = w->findChild<QLabel *>(QString::fromLatin1(name)))
        return label->text();
    if (auto *edit = w->findChild<QLineEdit *>(QString::fromLatin1(name)))
        return edit->text();
    if (auto *button = w->findChild<QPushButton *>(QString::fromLatin1(name)))
        return button->text();
    return QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

int topLevelAboutWindows()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<frmAbout *>(w) && w->isVisible())
            ++n;
    return n;
}

} // namespace

TEST_F(AboutWindow, WindowIsAFixedToolWindowWithoutMinimiseOrMaximise)
{
    frmAbout *w = open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(w->size(), QSize(415, 350));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // An About window left open keeps the program running.
    EXPECT_TRUE(w->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_EQ(w->parentWidget(), nullptr);
}

TEST_F(AboutWindow, EveryTextIsExact)
{
    frmAbout *w = open();
    EXPECT_EQ(textOf(w, "lblTitle"), QStringLiteral("Volumescope"));
    EXPECT_EQ(textOf(w, "lblVersion"), QStringLiteral("Version 3.0.0"));
    const QString description = textOf(w, "lblDescription");
    EXPECT_EQ(description,
              QStringLiteral("Volumescope. Программа для наглядного анализа каталогов. Если у Вас "
                             "проблемы со свободным местом, и Вы не знаете почему, воспользуйтесь  "
                             "Volumescope'ом. С помощью этой программы Вы быстро найдете 'причину' "
                             "нехватки драгоценных 'метров' на вашем харде."));
    EXPECT_TRUE(description.contains(QStringLiteral("воспользуйтесь  Volumescope'ом")));
    const QString disclaimer = textOf(w, "lblDisclaimer");
    EXPECT_EQ(disclaimer,
              QStringLiteral("Программа предназначена для домашнего использования и полностью бесплатна."));

    EXPECT_EQ(textOf(w, "cmdOK"), QStringLiteral("OK"));
    EXPECT_EQ(textOf(w, "Label1"), QStringLiteral("Email:"));
    EXPECT_EQ(textOf(w, "Label4"), QStringLiteral("Сайт :"));
    EXPECT_EQ(textOf(w, "Label2"), QStringLiteral("Цветовой показатель"));
    EXPECT_EQ(textOf(w, "Text1"), QString::fromUtf8(VOLUMESCOPE_EMAIL));
    EXPECT_EQ(textOf(w, "Text2"), QString::fromUtf8(VOLUMESCOPE_WEB));
    EXPECT_TRUE(textOf(w, "Text1").contains(QLatin1Char('@')));
    EXPECT_TRUE(w->findChild<QLineEdit *>(QStringLiteral("Text1"))->isReadOnly());
    EXPECT_TRUE(w->findChild<QLineEdit *>(QStringLiteral("Text2"))->isReadOnly());

    const QChar dash(0x2013);
    EXPECT_EQ(textOf(w, "Label3_0"), QStringLiteral("F1 ") + dash + QStringLiteral(" О программе"));
    EXPECT_EQ(textOf(w, "Label3_1"),
              QStringLiteral("F2 ") + dash + QStringLiteral(" Печать. Формирование документа на печать."));
    EXPECT_EQ(textOf(w, "Label3_2"),
              QStringLiteral("F3 ") + dash + QStringLiteral(" Открыть каталог по выбранной папке."));
    EXPECT_EQ(textOf(w, "Label3_5"),
              QStringLiteral("F4 ") + dash + QStringLiteral(" Запуск дубликтора файлов"));
    EXPECT_EQ(textOf(w, "Label3_3"), QStringLiteral("F5 ") + dash + QStringLiteral(" Обновить состояние."));
    EXPECT_EQ(textOf(w, "Label3_4"), QStringLiteral("F1 + Shift ") + dash + QStringLiteral(" Помощь."));
}

TEST_F(AboutWindow, ControlsStandAtTheirRectangles)
{
    frmAbout *w = open();
    // Twips at 15 to a pixel, halves to even.
    EXPECT_EQ(geometryOf(w, "picIcon"), QRect(12, 11, 52, 52));
    EXPECT_EQ(geometryOf(w, "lblDescription").topLeft(), QPoint(84, 65));
    EXPECT_EQ(geometryOf(w, "lblDescription").width(), 259);
    EXPECT_EQ(geometryOf(w, "lblDisclaimer"), QRect(10, 170, 262, 30));
    EXPECT_EQ(geometryOf(w, "cmdOK"), QRect(283, 178, 84, 23));
    EXPECT_EQ(geometryOf(w, "Picture1"), QRect(8, 247, 131, 96));

    // Labels keep their corner and height; a font wider than the design may
    // only widen them, never cut a text.
    struct Box {
        const char *name;
        QRect rect;
    };
    const Box labels[] = {{"lblTitle", QRect(83, 16, 49, 13)},    {"Label1", QRect(12, 198, 28, 13)},
                          {"Label4", QRect(12, 212, 30, 13)},     {"Label2", QRect(13, 231, 111, 13)},
                          {"Label3_0", QRect(153, 239, 91, 13)},  {"Label3_1", QRect(153, 257, 256, 13)},
                          {"Label3_2", QRect(153, 275, 220, 13)}, {"Label3_5", QRect(153, 292, 161, 13)},
                          {"Label3_3", QRect(153, 310, 131, 13)}, {"Label3_4", QRect(153, 328, 102, 13)},
                          {"lblVersion", QRect(83, 42, 0, 0)}};
    for (const Box &box : labels) {
        auto *label = w->findChild<QLabel *>(QString::fromLatin1(box.name));
        ASSERT_NE(label, nullptr) << box.name;
        EXPECT_EQ(label->pos(), box.rect.topLeft()) << box.name;
        if (!box.rect.isEmpty()) {
            EXPECT_EQ(label->height(), box.rect.height()) << box.name;
            EXPECT_GE(label->width(), box.rect.width()) << box.name;
        }
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << box.name;
        EXPECT_LE(label->x() + label->width(), w->width()) << box.name;
    }
    for (const char *name : {"lblDescription", "lblDisclaimer"}) {
        auto *label = w->findChild<QLabel *>(QString::fromLatin1(name));
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name;
    }
    // The address fields start at their place and end before the OK button.
    for (const char *name : {"Text1", "Text2"}) {
        const QRect r = geometryOf(w, name);
        EXPECT_EQ(r.topLeft(), QPoint(43, QString::fromLatin1(name) == QStringLiteral("Text1") ? 198 : 212));
        EXPECT_EQ(r.height(), 14);
        EXPECT_GE(r.width(), 105);
        EXPECT_LT(r.right(), 283);
    }
    // The version label keeps its corner and takes the width of its text.
    auto *version = w->findChild<QLabel *>(QStringLiteral("lblVersion"));
    const int textWidth = version->fontMetrics().horizontalAdvance(version->text());
    EXPECT_GE(version->width(), textWidth);
    EXPECT_LE(version->width(), textWidth + 2);

    // Two etched separators: grey above, white one pixel lower.
    struct Line {
        const char *name;
        QRect rect;
        QColor colour;
    };
    const Line lines[] = {{"Line1_1", QRect(6, 163, 371, 1), QColor(128, 128, 128)},
                          {"Line1_0", QRect(7, 164, 370, 1), QColor(255, 255, 255)},
                          {"Line1_2", QRect(6, 227, 371, 1), QColor(128, 128, 128)},
                          {"Line1_3", QRect(6, 228, 370, 1), QColor(255, 255, 255)}};
    for (const Line &line : lines) {
        auto *l = w->findChild<vs::SeparatorLine *>(QString::fromLatin1(line.name));
        ASSERT_NE(l, nullptr) << line.name;
        EXPECT_EQ(l->geometry(), line.rect) << line.name;
        EXPECT_EQ(l->colour(), line.colour) << line.name;
    }
}

TEST_F(AboutWindow, LegendIsAStaircaseOf28BandPictures)
{
    const auto layout = vs::ColourLegend::Layout();
    ASSERT_EQ(layout.size(), 28u);
    // Top row: pictures 1..7 left to right, 200 twips apart.
    const int xs[] = {0, 13, 27, 40, 53, 67, 80};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(layout[k].picture, k + 1);
        EXPECT_EQ(layout[k].pos, QPoint(xs[k], 0));
    }
    EXPECT_EQ(layout[6].pos.x(), vs::Px(1200));
    // Row r holds 7 - r pictures; the left column is picture 1 seven times.
    int counts[7] = {};
    int leftColumn = 0;
    for (const auto &p : layout) {
        const int row = int(std::lround(p.pos.y() * 15.0 / 200));
        ASSERT_GE(row, 0);
        ASSERT_LT(row, 7);
        ++counts[row];
        EXPECT_EQ(p.pos.y(), vs::Px(row * 200));
        EXPECT_EQ(p.pos.x(), xs[p.picture - 1]);
        if (p.pos.x() == 0) {
            EXPECT_EQ(p.picture, 1);
            ++leftColumn;
        }
    }
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(counts[r], 7 - r) << "row " << r;
    EXPECT_EQ(leftColumn, 7);
    EXPECT_EQ(layout.back().picture, 1);
    EXPECT_EQ(layout.back().pos, QPoint(0, 80));

    // The drawn box shows each band's colour where its picture stands, and
    // nothing right of the staircase.
    frmAbout *w = open();
    auto *legend = w->findChild<vs::ColourLegend *>(QStringLiteral("Picture1"));
    ASSERT_NE(legend, nullptr);
    const QImage shot = legend->grab().toImage();
    for (const auto &p : layout) {
        const QColor centre = shot.pixelColor(p.pos + QPoint(8, 8));
        EXPECT_EQ(centre, vs::BandColor(p.picture))
            << "picture " << p.picture << " at " << p.pos.x() << "," << p.pos.y();
    }
    const QColor ground = shot.pixelColor(QPoint(120, 90));
    EXPECT_EQ(shot.pixelColor(QPoint(80 + 8, 80 + 8)), ground); // right of the bottom step
}

TEST_F(AboutWindow, EnterAndEscapeCloseAndDestroyTheWindow)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QPointer<frmAbout> w = open();
        ASSERT_TRUE(w->isVisible());
        QTest::keyClick(w.data(), key);
        flushDeletes();
        EXPECT_TRUE(w.isNull()) << "key " << key;
        EXPECT_EQ(topLevelAboutWindows(), 0);
    }
    // Enter reaches the OK button even from an address field.
    QPointer<frmAbout> w = open();
    auto *text1 = w->findChild<QLineEdit *>(QStringLiteral("Text1"));
    text1->setFocus();
    QTest::keyClick(text1, Qt::Key_Return);
    flushDeletes();
    EXPECT_TRUE(w.isNull());

    w = open();
    auto *ok = w->findChild<QPushButton *>(QStringLiteral("cmdOK"));
    EXPECT_TRUE(ok->isDefault());
    QTest::mouseClick(ok, Qt::LeftButton);
    flushDeletes();
    EXPECT_TRUE(w.isNull());
}

TEST_F(AboutWindow, AnOpenAboutWindowKeepsTheProgramRunningAfterTheMainWindowCloses)
{
    vs::test::QuitWatch watch;
    qApp->installEventFilter(&watch);
    QWidget mainWindow;
    mainWindow.show();
    QPointer<frmAbout> about = open();
    int stage = 0;
    bool quitWhileAboutOpen = true;
    QTimer::singleShot(0, &mainWindow, [&] {
        mainWindow.close();
        stage = 1;
        // Posted after any quit that closing the main window caused.
        QTimer::singleShot(0, [&] {
            stage = 2;
            quitWhileAboutOpen = watch.seen;
            about->close();
        });
    });
    QTimer::singleShot(20000, [] { QApplication::exit(2); }); // never hang the run
    const int rc = QApplication::exec();
    qApp->removeEventFilter(&watch);
    EXPECT_EQ(stage, 2);
    EXPECT_FALSE(quitWhileAboutOpen);
    EXPECT_TRUE(watch.seen) << "closing the About window as the last window ends the program";
    EXPECT_EQ(rc, 0);
}

TEST(ProgramIcon, DrawsTheDiskInBothSharesAtEverySize)
{
    for (int size : {16, 48, 256}) {
        const QImage img = vs::DrawProgramIcon(size);
        ASSERT_EQ(img.size(), QSize(size, size));
        EXPECT_EQ(img.pixelColor(0, 0).alpha(), 0) << size; // transparent corner
        int blue = 0, magenta = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.alpha() < 200)
                    continue;
                if (c.blue() > 150 && c.red() < 130)
                    ++blue;
                else if (c.red() > 150 && c.blue() > 150 && c.green() < 140)
                    ++magenta;
            }
        EXPECT_GT(blue, magenta) << size;
        EXPECT_GT(magenta, 0) << size;
    }
    EXPECT_FALSE(vs::ProgramIcon().availableSizes().isEmpty());
}
