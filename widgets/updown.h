#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QToolButton;

// An up/down spinner bound to an edit field beside it.
//
// The spinner holds a signed 16-bit position kept within [minimum, maximum];
// it steps by its increment and never wraps. Whenever its position is read or
// stepped it first takes the text of its edit: a whole number in range (the
// locale's thousands separators removed) becomes the position, anything else
// leaves the position as it was. After a step it writes its position back into
// the edit, with the locale's thousands grouping when `thousands` is set.
class UpDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int increment READ increment WRITE setIncrement)
    Q_PROPERTY(int position READ position WRITE setPosition)
    Q_PROPERTY(bool thousands READ thousands WRITE setThousands)

public:
    enum class Button { Up, Down };
    Q_ENUM(Button)

    explicit UpDown(QWidget *parent = nullptr);

    void setAssociate(QLineEdit *edit);
    QLineEdit *associate() const { return edit_; }

    int minimum() const { return minimum_; }
    void setMinimum(int value);
    int maximum() const { return maximum_; }
    void setMaximum(int value);
    void setRange(int minimum, int maximum);
    int increment() const { return increment_; }
    void setIncrement(int value) { increment_ = value; }
    bool thousands() const { return thousands_; }
    void setThousands(bool on) { thousands_ = on; }

    // Takes the edit's text first (see above), then returns the position.
    int position();
    // Clamps into range and writes the position into the edit.
    void setPosition(int value);

    // One step as a click on an arrow does, without raising clicked().
    void step(Button button);

    QSize sizeHint() const override;

signals:
    // A click on either arrow (or the Up/Down key in the edit), after the step.
    void clicked(UpDown::Button button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void syncFromText();
    void writeText();
    void click(Button button);
    void layoutArrows();

    QPointer<QLineEdit> edit_;
    QToolButton *up_;
    QToolButton *down_;
    int minimum_ = 0;
    int maximum_ = 100;
    int increment_ = 1;
    qint16 position_ = 0;
    bool thousands_ = true;
};
