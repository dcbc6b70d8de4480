#include "frmAbout.h"

#include "ColourLegend.h"
#include "ProgramIcon.h"
#include "SeparatorLine.h"
#include "widgets/Twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

namespace vs
{

namespace
{

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, double left, double top,
                  double width, double height)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(TwRect(left, top, width, height));
    return label;
}

// A read-only address field: blue text on the button face, no frame, so it
// reads like a label that can still be selected and copied.
QLineEdit *makeAddress(QWidget *parent, const char *name, const QString &text, double top)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setGeometry(TwRect(645, top, 1575, 210));
    edit->setCursorPosition(0);
    edit->setToolTip(text);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    pal.setColor(QPalette::Text, BgrColor(0xFF0000));
    edit->setPalette(pal);
    return edit;
}

} // namespace

QString frmAbout::versionText()
{
    return QStringLiteral("Version ") + QString::fromLatin1(VOLUMESCOPE_VERSION);
}

QString frmAbout::descriptionText()
{
    return QStringLiteral(
        "Volumescope. Программа для наглядного анализа каталогов. Если у Вас проблемы со свободным "
        "местом, и Вы не знаете почему, воспользуйтесь  Volumescope'ом. С помощью этой программы "
        "Вы быстро найдете 'причину' нехватки драгоценных 'метров' на вашем харде.");
}

QString frmAbout::disclaimerText()
{
    return QStringLiteral("Программа предназначена для домашнего использования и полностью бесплатна.");
}

// A tool window is not always given the keyboard by the window manager when
// it appears; without it Escape and Enter would go to the main window. Ask
// for it, with the focus on OK.
void frmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    okButton_->setFocus(Qt::ActiveWindowFocusReason);
    raise();
    activateWindow();
}

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    // A tool window has no task-bar entry; the hints keep only the close box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    // Tool windows do not keep the program running by default; this one
    // should, like any other window the user still has open.
    setAttribute(Qt::WA_QuitOnClose, true);
    setModal(false);
    setFixedSize(Px(6225), Px(5250));
    setWindowIcon(ProgramIcon());

    icon_ = makeLabel(this, "picIcon", QString(), 180, 165, 780, 780);
    icon_->setPixmap(QPixmap::fromImage(DrawProgramIcon(48)));
    icon_->setAlignment(Qt::AlignCenter);

    title_ = makeLabel(this, "lblTitle", QString(), 1245, 240, 735, 195);
    version_ = makeLabel(this, "lblVersion", QString(), 1245, 630, 570, 195);
    description_ = makeLabel(this, "lblDescription", QString(), 1260, 975, 3885, 1170);
    description_->setWordWrap(true);
    disclaimer_ = makeLabel(this, "lblDisclaimer", QString(), 150, 2550, 3930, 450);
    disclaimer_->setWordWrap(true);

    const QColor grey = BgrColor(0x808080);
    const QColor white = BgrColor(0xFFFFFF);
    (new SeparatorLine(this, 90, 5654, 2445, grey))->setObjectName(QStringLiteral("Line1_1"));
    (new SeparatorLine(this, 105, 5654, 2460, white))->setObjectName(QStringLiteral("Line1_0"));

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("cmdOK"));
    okButton_->setGeometry(TwRect(4245, 2670, 1260, 345));
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QWidget::close);

    makeLabel(this, "Label1", QStringLiteral("Email:"), 180, 2970, 420, 195);
    email_ = makeAddress(this, "Text1", QString::fromUtf8(VOLUMESCOPE_EMAIL), 2970);
    makeLabel(this, "Label4", QStringLiteral("Сайт :"), 180, 3180, 450, 195);
    website_ = makeAddress(this, "Text2", QString::fromUtf8(VOLUMESCOPE_WEB), 3180);

    (new SeparatorLine(this, 90, 5654, 3405, grey))->setObjectName(QStringLiteral("Line1_2"));
    (new SeparatorLine(this, 90, 5639, 3420, white))->setObjectName(QStringLiteral("Line1_3"));

    makeLabel(this, "Label2", QStringLiteral("Цветовой показатель"), 195, 3465, 1665, 195);
    legend_ = new ColourLegend(this);
    legend_->setObjectName(QStringLiteral("Picture1"));
    legend_->setGeometry(TwRect(120, 3705, 1965, 1440));

    makeLabel(this, "Label3_0", QStringLiteral("F1 – О программе"), 2295, 3585, 1365, 195);
    makeLabel(this, "Label3_1", QStringLiteral("F2 – Печать. Формирование документа на печать."), 2295, 3852,
              3840, 195);
    makeLabel(this, "Label3_2", QStringLiteral("F3 – Открыть каталог по выбранной папке."), 2295, 4119, 3300,
              195);
    makeLabel(this, "Label3_5", QStringLiteral("F4 – Запуск дубликтора файлов"), 2295, 4386, 2415, 195);
    makeLabel(this, "Label3_3", QStringLiteral("F5 – Обновить состояние."), 2295, 4653, 1965, 195);
    makeLabel(this, "Label3_4", QStringLiteral("F1 + Shift – Помощь."), 2295, 4920, 1530, 195);

    okButton_->setFocus();
    load();
    fitTexts();

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

frmAbout::~frmAbout() = default;

void frmAbout::load()
{
    version_->setText(versionText());
    version_->adjustSize();
    title_->setText(QStringLiteral("Volumescope"));
    description_->setText(descriptionText());
    disclaimer_->setText(disclaimerText());
    legend_->update();
}

// The rectangles were laid out for a narrow 8-point face; desktop fonts are
// wider. Take the largest face, narrowed if need be, in which the fixed texts
// fit their rectangles, then widen whatever still does not fit, so that no
// text is ever cut off.
void frmAbout::fitTexts()
{
    static const char *const fitted[] = {"Label1",   "Label4",   "Label2",   "Label3_0", "Label3_1",
                                         "Label3_2", "Label3_5", "Label3_3", "Label3_4"};
    auto fitsIn = [this](const QFont &f) {
        const QFontMetrics fm(f);
        for (const char *name : fitted) {
            const QLabel *label = findChild<QLabel *>(QString::fromLatin1(name));
            if (fm.horizontalAdvance(label->text()) > label->width())
                return false;
        }
        return true;
    };
    QFont chosen = font();
    chosen.setPixelSize(11);
    bool found = false;
    for (int pixels = 11; pixels >= 10 && !found; --pixels)
        for (int stretch = 100; stretch >= 80 && !found; stretch -= 5) {
            QFont f = font();
            f.setPixelSize(pixels);
            f.setStretch(stretch);
            if (fitsIn(f)) {
                chosen = f;
                found = true;
            }
        }
    setFont(chosen);

    const QFontMetrics fm(chosen);
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label->wordWrap() || label->text().isEmpty())
            continue;
        const int needed = fm.horizontalAdvance(label->text()) + 1;
        if (needed > label->width())
            label->resize(needed, label->height());
    }
    version_->adjustSize();
    // Wrapped texts may grow downwards, the description as far as the separator.
    const int descriptionHeight = description_->heightForWidth(description_->width());
    if (descriptionHeight > description_->height())
        description_->resize(description_->width(),
                             std::min(descriptionHeight, Px(2445) - description_->y() - 1));
    // The addresses may use the free room up to the OK button.
    for (QLineEdit *edit : {email_, website_}) {
        const int needed = fm.horizontalAdvance(edit->text()) + 6;
        if (needed > edit->width())
            edit->resize(std::min(needed, okButton_->x() - 6 - edit->x()), edit->height());
        edit->setCursorPosition(0);
    }
}

} // namespace vs
