#include "widgets/tformabout.h"

#include "i18n/language.h"
#include "widgets/screenplace.h"
#include "widgets/designfont.h"
#include "widgets/pictures.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int left, int top,
                  int pixelSize)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(designFont(pixelSize));
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

TFormAbout::TFormAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    resize(kOuterWidth - screenplace::kFrameWidth, kOuterHeight - screenplace::kFrameHeight);
    setWindowTitle(QStringLiteral("About Torvo_TCI"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFont(designFont());

    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(pictures::logo());
    logo->setGeometry(32, 24, 161, 81);

    makeLabel(this, "Label2", QStringLiteral("Torvo Engineering s.r.o."), 32, 132, 16);
    makeLabel(this, "Label3", QStringLiteral("Dílenská 12"), 32, 157, 16);
    makeLabel(this, "Label4", QStringLiteral("602 00 Brno"), 32, 182, 16);
    makeLabel(this, "Label5", QStringLiteral("Czech Republic"), 32, 207, 16);
    makeLabel(this, "Label9", QStringLiteral("service@torvo-tci.example"), 32, 243, 16);
    makeLabel(this, "Label10", QStringLiteral("www.torvo-tci.example"), 32, 268, 16);
    LabelDate = makeLabel(this, "LabelDate", QString(), 32, 313, 11);
    LabelTime = makeLabel(this, "LabelTime", QString(), 32, 335, 11);

    LabelExit = makeLabel(this, "LabelExit", QStringLiteral("OK"), 216, 320, 23);
    LabelExit->resize(35, 29);
    LabelExit->setCursor(Qt::PointingHandCursor);
    LabelExit->installEventFilter(this);

    FormCreate();
}

void TFormAbout::FormCreate()
{
    // __DATE__ reads "Oct 25 2005" (day padded with a space), __TIME__ "08:54:28".
    LabelDate->setText(QStringLiteral(__DATE__));
    LabelDate->adjustSize();
    LabelTime->setText(QStringLiteral(__TIME__));
    LabelTime->adjustSize();
    move(screenplace::centredByHalves(QSize(kOuterWidth, kOuterHeight)));
}

QString TFormAbout::captionFor(Language language, const QString &current)
{
    return language.aboutCaption().value_or(current);
}

void TFormAbout::FormActivate()
{
    setWindowTitle(captionFor(language, windowTitle()));
}

void TFormAbout::Button1Click()
{
    accept();
}

void TFormAbout::showEvent(QShowEvent *event)
{
    FormActivate();
    QDialog::showEvent(event);
}

bool TFormAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LabelExit && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && LabelExit->rect().contains(mouse->position().toPoint()))
            Button1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
