#include "app/tformhlav.h"

#include "app/handlerguard.h"
#include "session/liverecorder.h"
#include "settings/settingspaths.h"
#include "i18n/language.h"
#include "ui_tformhlav.h"
#include "widgets/designfont.h"
#include "widgets/designstyle.h"
#include "widgets/pictures.h"
#include "widgets/screenplace.h"
#include "widgets/tcgauge.h"
#include "widgets/tformabout.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>

namespace {

// Frame and title of the design's outer size: the client area is 753 x 768
// below the menu bar inside a 761 x 822 window.
constexpr int kChromeWidth = TFormHlav::kDesignWidth - 753;
constexpr int kChromeHeight = TFormHlav::kDesignHeight - 768;
constexpr int kStatusBarHeight = 19;

QColor namedBackground(const QString &name, const QPalette &palette)
{
    if (name == QLatin1String("red"))
        return QColor(255, 0, 0);
    return palette.color(QPalette::Button); // "buttonface"
}

} // namespace

TFormHlav::TFormHlav(std::unique_ptr<Transport> transport, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TFormHlav>()), unit(std::move(transport))
{
    // The controls take the design face from the window as they are built, so
    // no text is laid out twice.
    setFont(designFont());
    // The toolkit builds every control of the layout first, the timer included.
    ui->setupUi(this);
    setUpControls();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(kTickMs);
    bindHandlers();
    bindSession();
    bindDocument();
    bindChart();
    bindRecentFiles();
    bindComparison();
    bindJournal();
    // Enabled from creation: the first tick arrives once the message loop runs.
    Timer1->start();

    settingsFileName = QLatin1String(settingspaths::kSettingsFileName);
    imageFilePath = settingspaths::imageFile();
    unit.setPortsFile(settingspaths::settingsFile());
}

TFormHlav::~TFormHlav() = default;


void TFormHlav::setUpControls()
{
    setObjectName(QStringLiteral("FormHlav"));
    setWindowIcon(pictures::appIcon());

    // The form carries each control's font height, boldness, background and
    // picture as properties; they are applied here in one pass.
    const auto all = findChildren<QWidget *>();
    for (QWidget *w : all) {
        const QVariant height = w->property("fontHeight");
        if (height.isValid()) {
            QFont f = designFont(height.toInt());
            f.setBold(w->property("fontBold").toBool());
            w->setFont(f);
        }
        // Tick squares and caption spacing of the design's proportions.
        if (auto *box = qobject_cast<QCheckBox *>(w))
            box->setStyle(designStyle());
        // Controls designed with a tooltip keep showing one when a language
        // rewrites their hint; the others only feed the status bar.
        w->setProperty("showsTooltip", !w->toolTip().isEmpty());
        const QVariant background = w->property("background");
        if (background.isValid())
            setBackground(w, namedBackground(background.toString(), palette()));
        if (auto *button = qobject_cast<QToolButton *>(w)) {
            const QVariant glyph = button->property("glyph");
            if (glyph.isValid()) {
                button->setIcon(pictures::glyph(glyph.toString()));
                button->setIconSize(QSize(16, 16));
                button->setFocusPolicy(Qt::NoFocus);
            }
        }
        if (auto *updown = qobject_cast<UpDown *>(w)) {
            updown->setAssociate(findChild<QLineEdit *>(updown->property("associate").toString()));
            updown->setFocusPolicy(Qt::NoFocus);
        }
    }
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label->property("autoSize").toBool())
            label->adjustSize();
    }
    ui->Image3->setPixmap(QPixmap::fromImage(pictures::wheel()));
    ui->Image1->setPixmap(pictures::logo());
    ui->LabelSpojeni->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // A menu title's hint reaches the status bar through its menu action.
    for (QMenu *menu : ui->MainMenu1->findChildren<QMenu *>())
        menu->menuAction()->setStatusTip(menu->statusTip());

    ui->StatusBar1->setFixedHeight(kStatusBarHeight);
    ui->StatusBar1->setSizeGripEnabled(false);
    bindFieldControls();


    setOuterGeometry(QRect(0, 0, kDesignWidth, kDesignHeight));
}

std::unique_ptr<QFileDialog> TFormHlav::OpenDialog1()
{
    auto dialog = std::make_unique<QFileDialog>(this);
    dialog->setObjectName(QStringLiteral("OpenDialog1"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QStringLiteral("ign"));
    dialog->setNameFilters({QStringLiteral("Ignition Parametrs(*.ign)"), QStringLiteral("All Files (*.*)")});
    dialog->setSizeGripEnabled(true);
    dialog->selectFile(openDialogFile);
    return dialog;
}

std::unique_ptr<QFileDialog> TFormHlav::SaveDialog1()
{
    auto dialog = std::make_unique<QFileDialog>(this);
    dialog->setObjectName(QStringLiteral("SaveDialog1"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("ign"));
    dialog->setNameFilters({QStringLiteral("Ignition Parametrs(*.ign)")});
    // Asks before an existing file is overwritten.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog->setSizeGripEnabled(true);
    dialog->selectFile(saveDialogFile);
    return dialog;
}

void TFormHlav::setDialogFileNames(const QString &openFile, const QString &saveFile)
{
    openDialogFile = openFile;
    saveDialogFile = saveFile;
}

void TFormHlav::bindHandlers()
{
    const auto onClick = [this](QObject *source, void (TFormHlav::*handler)()) {
        if (auto *action = qobject_cast<QAction *>(source))
            connect(action, &QAction::triggered, this, guarded([this, handler] { (this->*handler)(); }));
        else if (auto *button = qobject_cast<QAbstractButton *>(source))
            connect(button, &QAbstractButton::clicked, this, guarded([this, handler] { (this->*handler)(); }));
    };
    onClick(ui->MenuNew, &TFormHlav::MenuNewClick);
    onClick(ui->SpeedButton6, &TFormHlav::MenuNewClick);
    onClick(ui->MenuOpen, &TFormHlav::MenuOpenClick);
    onClick(ui->SpeedButton5, &TFormHlav::MenuOpenClick);
    onClick(ui->MenuSave, &TFormHlav::MenuSaveClick);
    onClick(ui->SpeedButton7, &TFormHlav::MenuSaveClick);
    onClick(ui->SpeedButtonPrint, &TFormHlav::SpeedButtonPrintClick);
    // The File menu's Print item prints as the tool-bar button does.
    onClick(ui->MenuPrint, &TFormHlav::SpeedButtonPrintClick);
    onClick(ui->MenuExit, &TFormHlav::MenuExitClick);
    for (QAction *com : comItems())
        onClick(com, &TFormHlav::MenuCom1Click);
    onClick(ui->MenuChooseDevice, &TFormHlav::MenuChooseDeviceClick);
    onClick(ui->MenuRead, &TFormHlav::MenuReadClick);
    onClick(ui->Button1, &TFormHlav::MenuReadClick);
    onClick(ui->MenuVerify, &TFormHlav::MenuVerifyClick);
    onClick(ui->BitBtn2, &TFormHlav::MenuVerifyClick);
    onClick(ui->MenuProgram, &TFormHlav::MenuProgramClick);
    onClick(ui->BitBtn1, &TFormHlav::MenuProgramClick);
    onClick(ui->BitBtnAdvMinus, &TFormHlav::BitBtnAdvMinusClick);
    onClick(ui->AdvanceMinus, &TFormHlav::BitBtnAdvMinusClick);
    onClick(ui->BitBtnAdvPlus, &TFormHlav::BitBtnAdvPlusClick);
    onClick(ui->AdvancePlus, &TFormHlav::BitBtnAdvPlusClick);
    onClick(ui->MenuEnglish, &TFormHlav::MenuEnglishClick);
    onClick(ui->MenuCzech, &TFormHlav::MenuCzechClick);
    onClick(ui->MenuGerman, &TFormHlav::MenuGermanClick);
    onClick(ui->MenuContens, &TFormHlav::MenuContensClick);
    onClick(ui->MenuAbout, &TFormHlav::MenuAboutClick);
    onClick(ui->MenuUndo, &TFormHlav::MenuUndoClick);
    onClick(ui->MenuRedo, &TFormHlav::MenuRedoClick);
    ui->MenuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    // Leaving an edit (OnExit) is a focus change within the window; the edits
    // and the three check boxes report to the window through an event filter.
    for (QLineEdit *edit : ui->ClientArea->findChildren<QLineEdit *>())
        edit->installEventFilter(this);
    for (UpDown *updown : ui->ClientArea->findChildren<UpDown *>()) {
        connect(updown, &UpDown::clicked, this,
                guarded([this, updown](UpDown::Button b) { UpDownClick(updown, b); }));
    }
    for (QCheckBox *box : {ui->CheckBoxProgHned, ui->CheckBoxRpm2Krat, ui->CheckBoxBlokEnable})
        box->installEventFilter(this);
    connect(Timer1, &QTimer::timeout, this, guarded([this] { Timer1Timer(); }));
}

void TFormHlav::buildPointLists()
{
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        const QString n = QString::number(k + 1);
        RpmEdits[k] = ui->GroupBox6->findChild<QLineEdit *>(QStringLiteral("EditRpmAdv") + n);
        AdvanceEdits[k] = ui->GroupBox6->findChild<QLineEdit *>(QStringLiteral("Edit5") + QString::number(k));
        RpmSpinners[k] = ui->GroupBox6->findChild<UpDown *>(QStringLiteral("UpDownRpmAdv") + n);
        AdvanceSpinners[k] = ui->GroupBox6->findChild<UpDown *>(QStringLiteral("UpDown5") + QString::number(k));
    }
}

void TFormHlav::FormCreate()
{
    buildPointLists();
    // ApplicationHint receives the status tips from here on (see event()).
    hintHandlerInstalled = true;
    unit.setPortNumber(1);
    ApplyDefaults();
    centreOnScreen();
    loadSettings();
    // Every read and program is kept from the start on.
    unit.setJournalFolder(Journal::defaultFolder());
    applyCommandLine(commandLine);
    unit.showNoConnection();
    NormaliseImage();
    ShowImage();
    openPort();
    checkComItem();
    applyLanguage();
    ShowImage();
    ui->LabelHlaseni->hide();
    ui->CGaugeProgram->hide();
    ui->LabelEeDataErr->hide();
    ui->LabelVersion->hide();
    ui->CGaugeProgram->setMaxValue(1);
    readTestModeMarker();
    for (QLabel *test : testLabels())
        test->setVisible(testMode);
}

void TFormHlav::FormClose()
{
    stopRecording();
    saveChartPlace();
    saveJournalPlace();
    closePort();
    CaptureControls();
    NormaliseImage();
    saveSettings();
}

void TFormHlav::closeEvent(QCloseEvent *event)
{
    try {
        FormClose();
    } catch (const std::exception &error) {
        showException(error);
    }
    event->accept();
}

void TFormHlav::centreOnScreen()
{
    // On a screen shorter than the window, centring alone would put the title
    // bar above the screen, out of the mouse's reach.
    const QRect outer = outerGeometry();
    setOuterGeometry(screenplace::withTitleBarOnScreen(
        QRect(screenplace::centred(QSize(kDesignWidth, kDesignHeight)), outer.size())));
}

QRect TFormHlav::outerGeometry() const
{
    const int menuHeight = ui->MainMenu1->sizeHint().height();
    return QRect(pos(), QSize(width() + kChromeWidth, height() - menuHeight + kChromeHeight));
}

void TFormHlav::setOuterGeometry(const QRect &outer)
{
    // The outer size counts a frame and title of fixed size, so a stored size
    // gives the same client area on every platform.
    const int menuHeight = ui->MainMenu1->sizeHint().height();
    move(outer.topLeft());
    resize(outer.width() - kChromeWidth, outer.height() - kChromeHeight + menuHeight);
}

void TFormHlav::applyCommandLine(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return;
    if (const std::optional<Language> chosen = Language::fromCommandWord(arguments.first()))
        unit.language().setIndex(chosen->index());
}

void TFormHlav::MenuExitClick()
{
    close();
}

void TFormHlav::MenuAboutClick()
{
    if (formAbout) {
        formAbout->setLanguage(unit.language());
        formAbout->exec();
    }
}

void TFormHlav::ApplicationHint(const QString &hint)
{
    ui->StatusBar1->showMessage(hint);
}

bool TFormHlav::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        if (hintHandlerInstalled)
            ApplicationHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TFormHlav::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Unclaimed, the key reaches the window's Undo or Redo item.
        auto *edit = qobject_cast<QLineEdit *>(watched);
        if (edit && leavesUndoKeyToWindow(edit, static_cast<QKeyEvent *>(event))) {
            event->ignore();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && qobject_cast<QLineEdit *>(watched)) {
        // Only a move of the focus to another control of this window is an
        // exit; the window losing activation (a message box, another program)
        // is not.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            guarded([this, watched] { EditExit(watched); })();
    } else if (event->type() == QEvent::MouseButtonRelease && qobject_cast<QCheckBox *>(watched)) {
        // The release reaches this filter before the check box toggles; the
        // handler must see the new state, so it runs right after.
        QMetaObject::invokeMethod(
            this, guarded([this, box = QPointer<QObject>(watched)] {
                if (box)
                    CheckBoxProgHnedMouseUp(box);
            }),
            Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormHlav::setLabelText(QLabel *label, const QString &text)
{
    label->setText(text);
    if (label->property("autoSize").toBool())
        label->adjustSize();
}

void TFormHlav::setBackground(QWidget *widget, const QColor &colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

std::pair<QString, QString> TFormHlav::hintParts(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}

void TFormHlav::setHint(QWidget *widget, const QString &hint, bool tooltip)
{
    const auto [shortPart, longPart] = hintParts(hint);
    widget->setToolTip(tooltip ? shortPart : QString());
    widget->setStatusTip(longPart);
}
