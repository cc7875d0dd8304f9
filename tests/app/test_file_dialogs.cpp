// The Save and Open dialogs run as a technician runs them: F2 or F3 on the
// window, the full path typed into the dialog's file-name field, Enter. The
// keys go through the windows as the desktop delivers them, so a popup that
// stays open takes them, as it would take the technician's.
#include "window_fixture.h"

#include "params/parameterfile.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Answers the next file dialog that shows: types the path into its file-name
// field and presses Enter, key by key through the dialog's window. A dialog
// that is still open after that is cancelled, so a test never hangs on it.
class DialogTyper
{
public:
    DialogTyper()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { answer(); });
        timer.start(10);
    }
    void expect(const QString &typed)
    {
        path = typed;
        shown = false;
        closedByEnter = false;
    }

    bool shown = false;
    bool closedByEnter = false;

private:
    void answer()
    {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (path.isEmpty() || dialog == nullptr || !dialog->isVisible())
            return;
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        // The dialog puts the keyboard into its file-name field as it shows.
        if (edit == nullptr || !edit->hasFocus())
            return;
        shown = true;
        const QString typed = path;
        path.clear();
        edit->clear();
        QWindow *keys = dialog->windowHandle();
        for (const QChar c : typed)
            QTest::keyClick(keys, c.toLatin1());
        QTest::keyClick(keys, Qt::Key_Return);
        closedByEnter = !dialog->isVisible();
        if (!closedByEnter)
            dialog->reject();
    }

    QString path;
    QTimer timer;
};

class FileDialogsTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->show();
    }
    // F2 or F3 on the window, the path typed into the dialog and Enter.
    void run(Qt::Key key, const QString &path)
    {
        // The desktop gives the keyboard back to the window once a dialog has
        // closed; without a window manager that is done here.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        typer.expect(path);
        QTest::keyClick(window->windowHandle(), key);
    }
    // A completer popup of any file dialog that is on screen.
    static bool popupShown()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && qobject_cast<QAbstractItemView *>(w) != nullptr)
                return true;
        }
        return QApplication::activePopupWidget() != nullptr;
    }

    DialogTyper typer;
    QTemporaryDir dir;
};

} // namespace

TEST_F(FileDialogsTest, SaveThenOpenTwiceByTypedPathsEachShowsTheDialogAndLeavesNoPopup)
{
    const QString path = dir.filePath("bike.ign");
    const struct
    {
        const char *what;
        Qt::Key key;
        int advance;  // point 1's advance typed on screen before the command
        int expected; // and shown after it
    } rounds[] = {
        {"save", Qt::Key_F2, 41, 41},
        {"open", Qt::Key_F3, 7, 41},
        {"open again", Qt::Key_F3, 9, 41},
    };
    for (const auto &r : rounds) {
        SCOPED_TRACE(r.what);
        control<QLineEdit>("Edit50")->setText(QString::number(r.advance));
        run(r.key, path);
        EXPECT_TRUE(typer.shown) << "the dialog did not show";
        EXPECT_TRUE(typer.closedByEnter) << "Enter did not close the dialog";
        EXPECT_EQ(text("Edit50"), QString::number(r.expected));
        EXPECT_EQ(text("LabelFile2"), path);
        EXPECT_FALSE(popupShown()) << "a completer popup stayed on screen";
    }
    ParameterImage saved;
    ASSERT_EQ(openParameterFile(path, saved), OpenResult::Opened);
    EXPECT_EQ(saved.advance(0), 41);
}
