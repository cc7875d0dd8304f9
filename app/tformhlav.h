#pragma once

#include "link/serialdevices.h"
#include "params/fields.h"
#include "params/parameterimage.h"
#include "session/unitsession.h"
#include "widgets/updown.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class DeviceChooser;
class QAction;
class QCheckBox;
class QFileDialog;
class QLabel;
class QImage;
class QKeyEvent;
class QDragEnterEvent;
class QDropEvent;
class QAction;
class QLineEdit;
class QTimer;
class QUrl;
class TFormAbout;
class ChartWindow;
class CompareWindow;
class JournalWindow;
class LiveRecorder;
class Transport;

namespace Ui {
class TFormHlav;
}

// The main window: a view of one unit session. The session holds the set
// (its document), the port, the unit's identity, the language and the
// transfer engine; the window shows what they report on its controls, turns
// the controls' events into the document's and the session's operations, and
// drives the session from its 55 ms timer. It keeps no state of the set: the
// controls hold only the user's input until an action hands it over. Handlers
// are named after their control and event; the start-up and close sequences
// run in a fixed order (FormCreate, FormClose).
class TFormHlav : public QMainWindow
{
    Q_OBJECT

public:
    // Design outer size of the window (frame and title included).
    static constexpr int kDesignWidth = 761;
    static constexpr int kDesignHeight = 822;
    static constexpr int kTickMs = UnitSession::kTickMs;
    // The ticks after start (about 3 s) within which a unit must answer, or a
    // window without any [PORTS] mapping says where the adapter is chosen.
    static constexpr int kFirstRunHintTicks = 55;

    // Uses the serial port unless a transport is given (tests use scripted ones).
    explicit TFormHlav(std::unique_ptr<Transport> transport = nullptr, QWidget *parent = nullptr);
    ~TFormHlav() override;

    // The create event: runs the start-up sequence once construction is done.
    void FormCreate();

    // The set between the document and the controls.
    // The defaults as the set, at start (New is the document's newSet).
    void ApplyDefaults();
    // The input the controls hold (typed text, a tick changed from the
    // keyboard) into the set without a commit: Program, Verify, close.
    void CaptureControls();
    // The curve rules, and the bounds of the language and the port number.
    void NormaliseImage();
    // Every field's control and the unit's identity texts, from the set.
    void ShowImage();
    // A committed edit of a field's control (none for "Programming after
    // change"), with any other input the controls hold: one step.
    void CommitEdit(std::optional<ParamField> field = std::nullopt);

    void setAboutWindow(TFormAbout *about) { formAbout = about; }
    // The program's arguments after its name; start-up takes the language from the first.
    void setCommandLine(const QStringList &arguments) { commandLine = arguments; }

    UnitSession &session() { return unit; }
    // The chart's window once Tools -> Curve chart has opened it.
    ChartWindow *chart() const { return chartWindow; }
    // The comparison's window once Compare with file… or Show differences has opened it.
    CompareWindow *comparison() const { return compareWindow; }
    // The journal's window once Tools -> Journal… has opened it.
    JournalWindow *journal() const { return journalWindow; }
    const UnitSession &session() const { return unit; }

    // Outer bounds as the settings keep them (frame and title included).
    QRect outerGeometry() const;
    void setOuterGeometry(const QRect &outer);

    // The two file dialogs, made afresh for each Open and Save, proposing the
    // file names kept here, and gone as soon as the command has its answer. A
    // file dialog kept hidden between commands is not harmless: its file-name
    // completer restarts a completion that found nothing once the folder has
    // loaded, even with the dialog closed, and its popup then takes the
    // keyboard from the window and from the next dialog.
    std::unique_ptr<QFileDialog> OpenDialog1();
    std::unique_ptr<QFileDialog> SaveDialog1();
    void setDialogFileNames(const QString &openFile, const QString &saveFile);
    QTimer *timer() const { return Timer1; }
    // How a file dialog is run: by default modally, giving the chosen file or
    // nothing. Tests answer the dialog themselves.
    using FileChooser = std::function<QString(QFileDialog *)>;
    void setFileChooser(FileChooser chooser) { fileChooser = std::move(chooser); }
    // How the device chooser is run: by default modally; true when it was
    // accepted, and the dialog then holds the choice. Tests answer it themselves.
    using DeviceChooserRunner = std::function<bool(DeviceChooser &)>;
    void setDeviceChooserRunner(DeviceChooserRunner runner) { deviceChooserRunner = std::move(runner); }
    // Where the chooser gets its devices (by default the system's serial ports).
    void setDeviceLister(SerialDeviceLister lister) { deviceLister = std::move(lister); }
    // The informative text of the "Com opening error" box: the device, the
    // system's reason, and what the technician can do about it, in the
    // language given.
    static QString comOpeningDetails(const QString &device, const QString &reason, Language language);
    // How F1 opens a manual (by default the desktop's viewer; true when one
    // took it), and where it looks for them (by default beside the program
    // and in an installation).
    using DocumentOpener = std::function<bool(const QUrl &)>;
    void setDocumentOpener(DocumentOpener opener) { documentOpener = std::move(opener); }
    void setManualFolders(const QStringList &folders) { manualFolders = folders; }
    static QStringList defaultManualFolders();

    // Sets a label's text; labels that size to their text follow it.
    static void setLabelText(QLabel *label, const QString &text);
    // Sets the background of a label (or any widget) to a plain colour.
    static void setBackground(QWidget *widget, const QColor &colour);
    // Splits "short|long" into tooltip (when the control shows tooltips) and status text.
    static void setHint(QWidget *widget, const QString &hint, bool tooltip);
    // "short|long" as its two parts; a hint without "|" is both.
    static std::pair<QString, QString> hintParts(const QString &hint);

public slots:
    // Handlers bound to the controls and menu items.
    void MenuNewClick();
    void MenuOpenClick();
    void MenuSaveClick();
    void SpeedButtonPrintClick();
    void MenuExitClick();
    void MenuCom1Click();
    void MenuChooseDeviceClick();
    void MenuReadClick();
    void MenuVerifyClick();
    void MenuProgramClick();
    void BitBtnAdvMinusClick();
    void BitBtnAdvPlusClick();
    void MenuEnglishClick();
    void MenuCzechClick();
    void MenuGermanClick();
    void MenuContensClick();
    void MenuAboutClick();
    void MenuCurveChartClick();
    void MenuRecordClick();
    void MenuOpenRecordingClick();
    void MenuCompareClick();
    void MenuShowDifferencesClick();
    void MenuJournalClick();
    void EditExit(QObject *sender);
    void UpDownClick(UpDown *sender, UpDown::Button button);
    void CheckBoxProgHnedClick();
    void CheckBoxProgHnedMouseUp(QObject *sender);
    void MenuUndoClick();
    void shareUndoKeys(QWidget *window);
    void MenuRedoClick();
    // File -> 1..8: the recent file at index 0..7 (newest first).
    void MenuRecentClick(int index);
    void Timer1Timer();
    void ApplicationHint(const QString &hint);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FormClose();
    void setUpControls();
    void bindHandlers();
    void bindSession();
    void bindChart();
    void bindRecentFiles();
    void loadRecentFiles();
    void showRecentFiles();
    void noteRecentFile(const QString &path);
    void forgetRecentFile(const QString &path);
    // Opens a parameter file as F3 does, with its messages; true once opened.
    bool openIgnFile(const QString &path);
    void bindDocument();
    ChartWindow *ensureChartWindow();
    void saveChartPlace();
    void bindComparison();
    CompareWindow *ensureCompareWindow();
    // Opens the comparison with another set and draws it on the chart.
    void startComparison(const ParameterImage &other, const QString &name, bool onlyDifferences);
    void endComparison();
    // The chart shows the comparison's other set, or none.
    void showComparisonOnChart();
    // Compares the screen's set with a parameter file, as Compare with file…
    // does once its dialog has named the file.
    void compareWithFile(const QString &path);
    void bindJournal();
    JournalWindow *ensureJournalWindow();
    void saveJournalPlace();
    // Another window's place as the settings keep it, in its own section; a
    // place off every screen is not taken.
    void restoreWindowPlace(QWidget *window, const char *section);
    void saveWindowPlace(const QWidget *window, const char *section);
    void showIgnVersionBox();
    QString chooseCsv(bool forSaving);
    void showRecordedRows(qint64 rows);
    void recordingFailed();
    void stopRecording();
    void showRecordingError();
    void buildPointLists();
    void centreOnScreen();

    // Start-up and close steps whose details live with their own subsystem.
    void loadSettings();
    void saveSettings();
    void applyCommandLine(const QStringList &arguments);
    void openPort();
    void showComOpeningError();
    void closePort();
    void applyLanguage();
    void selectLanguage(std::uint8_t index);
    void applyCaptionSet(std::uint8_t index);
    void applyExtraCaptions(std::uint8_t index);
    // Opens the port on a device and maps COM n to it in [PORTS]; false, with
    // a message box, [PORTS] and COM n as they were and COM n's device open
    // again, when the device cannot be opened (unless only for the user's
    // rights) or the file cannot be written.
    bool mapPort(int comNumber, const QString &device);
    std::array<QAction *, 10> comItems() const;
    std::array<QLabel *, 8> testLabels() const;
    void checkComItem();
    void readTestModeMarker();
    void highlightCurveRow();
    void shiftAdvance(int delta);
    QString chooseFile(QFileDialog *dialog);
    QImage clientPicture();
    // Prints one page; returns the PDF's path when the print went to a file,
    // and sets *problem when it failed.
    QString printWindow(QString *problem);
    void showFileError(const QString &path, const QString &reason);
    void showHelpFileError(const QString &manual);

    // The set's fields on the controls.
    using FieldSet = std::bitset<kFieldCount>;
    struct FieldControl
    {
        UpDown *spinner = nullptr; // with its edit, for a number
        QLineEdit *edit = nullptr;
        QCheckBox *box = nullptr;  // for a flag
    };
    void bindFieldControls();
    std::optional<ParamField> fieldOf(const QObject *control) const;
    // The fields whose controls hold input the set has not taken.
    FieldSet pendingInput() const;
    // Every control's value as the user left it: the one place the controls
    // are read, for the input they hold.
    FieldValues typedValues();
    void showFields(FieldSet fields);
    void showIdentity();
    void showChange(const SetChange &change);
    // An edit takes the undo and redo keys for its own typing; without any
    // to take back they go to the set's history.
    bool leavesUndoKeyToWindow(QLineEdit *edit, const QKeyEvent *key) const;

    // What the session reports, shown on the controls.
    void showStatus(const StatusReport &status);
    void showLiveData(const LiveData &live);
    void showVersionMismatch(const QString &text);
    void showPortLost(const QString &device, const QString &reason);
    void showPortRestored(const QString &device);
    void showFirstRunHint();

    std::unique_ptr<Ui::TFormHlav> ui;
    UnitSession unit;
    QTimer *Timer1 = nullptr;
    TFormAbout *formAbout = nullptr;

    // Point lists of the curve: index k is curve point k + 1.
    std::array<QLineEdit *, ParameterImage::kPoints> RpmEdits{};
    std::array<QLineEdit *, ParameterImage::kPoints> AdvanceEdits{};
    std::array<UpDown *, ParameterImage::kPoints> RpmSpinners{};
    std::array<UpDown *, ParameterImage::kPoints> AdvanceSpinners{};
    // Every field's control, in the field table's order.
    std::array<FieldControl, kFieldCount> fieldControls{};

    QString settingsFileName;
    QString imageFilePath;
    QStringList commandLine;
    bool testMode = false;

    QString openDialogFile = QStringLiteral(" ");
    QString saveDialogFile;
    bool hintHandlerInstalled = false;
    FileChooser fileChooser;
    DeviceChooserRunner deviceChooserRunner;
    SerialDeviceLister deviceLister = listSerialDevices;
    DocumentOpener documentOpener;
    QStringList manualFolders;
    ChartWindow *chartWindow = nullptr;
    // The File menu's recent files, newest first, and their items above Exit.
    QStringList recentFiles;
    std::array<QAction *, 8> recentActions{};
    QAction *recentSeparator = nullptr;
    CompareWindow *compareWindow = nullptr;
    JournalWindow *journalWindow = nullptr;
    std::unique_ptr<LiveRecorder> recorder;
    // The curve row shown lit, -1 for none.
    int litRow = -1;
    // Ticks counted up to kFirstRunHintTicks, and whether a unit has answered.
    int ticksSinceStart = 0;
    bool unitAnswered = false;
};
