#include "widgets/updown.h"

#include "params/spinnertext.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <limits>

namespace {
constexpr int kPositionMin = std::numeric_limits<qint16>::min();
constexpr int kPositionMax = std::numeric_limits<qint16>::max();
} // namespace

UpDown::UpDown(QWidget *parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(400);
        b->setAutoRepeatInterval(80);
        b->setIconSize(QSize(7, 4));
    }
    up_->setAccessibleName(tr("Up"));
    down_->setAccessibleName(tr("Down"));
    connect(up_, &QToolButton::clicked, this, [this] { click(Button::Up); });
    connect(down_, &QToolButton::clicked, this, [this] { click(Button::Down); });
    setFocusPolicy(Qt::TabFocus);
    resize(16, 21);
    layoutArrows();
}

void UpDown::setAssociate(QLineEdit *edit)
{
    if (edit_)
        edit_->removeEventFilter(this);
    edit_ = edit;
    if (edit_)
        edit_->installEventFilter(this);
}

void UpDown::setMinimum(int value)
{
    minimum_ = std::clamp(value, kPositionMin, kPositionMax);
    if (maximum_ < minimum_)
        maximum_ = minimum_;
}

void UpDown::setMaximum(int value)
{
    maximum_ = std::clamp(value, kPositionMin, kPositionMax);
    if (minimum_ > maximum_)
        minimum_ = maximum_;
}

void UpDown::setRange(int minimum, int maximum)
{
    setMinimum(minimum);
    setMaximum(maximum);
}

int UpDown::position()
{
    syncFromText();
    return position_;
}

void UpDown::setPosition(int value)
{
    position_ = static_cast<qint16>(std::clamp(value, minimum_, maximum_));
    writeText();
}

void UpDown::step(Button button)
{
    syncFromText();
    const int delta = button == Button::Up ? increment_ : -increment_;
    setPosition(std::clamp(position_ + delta, minimum_, maximum_));
}

void UpDown::click(Button button)
{
    step(button);
    emit clicked(button);
}

void UpDown::syncFromText()
{
    if (!edit_)
        return;
    if (const auto typed = parseSpinnerText(edit_->text(), minimum_, maximum_))
        position_ = static_cast<qint16>(*typed);
}

void UpDown::writeText()
{
    if (edit_)
        edit_->setText(formatSpinnerText(position_, thousands_));
}

QSize UpDown::sizeHint() const
{
    return QSize(16, 21);
}

bool UpDown::eventFilter(QObject *watched, QEvent *event)
{
    // The arrow keys in the edit step the spinner like a click on its arrows.
    // The event's type is looked at first: an edit being destroyed still
    // sends events through here, and comparing it with the guarded pointer
    // would treat what is left of it as a QLineEdit.
    if (event->type() == QEvent::KeyPress && watched == edit_ && isEnabled()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            click(key->key() == Qt::Key_Up ? Button::Up : Button::Down);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutArrows();
}

void UpDown::layoutArrows()
{
    // Also called before the spinner is first shown, when no resize event has
    // been delivered yet, so the arrows are in place from construction on.
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}
