#pragma once

#include "i18n/messagetable.h"
#include "link/transferengine.h"
#include "link/transport.h"
#include "params/parameterimage.h"
#include "widgets/updown.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

class QAction;
class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QTimer;
class TFormAbout;

namespace Ui {
class TFormHlav;
}

// The main window. It owns all state of the running program: its controls,
// the parameter image, the link to the unit and the texts of the current
// language. Handlers are named after their control and event; the start-up and
// close sequences run in a fixed order (FormCreate, FormClose).
class TFormHlav : public QMainWindow, public TransferHost
{
    Q_OBJECT

public:
    // Design outer size of the window (frame and title included).
    static constexpr int kDesignWidth = 761;
    static constexpr int kDesignHeight = 822;
    static constexpr int kTickMs = 55;

    explicit TFormHlav(QWidget *parent = nullptr);
    ~TFormHlav() override;

    // The create event: runs the start-up sequence once construction is done.
    void FormCreate();

    // Parameter image operations.
    void ApplyDefaults();
    void CaptureControls();
    void NormaliseImage();
    void ShowImage();
    void CommitEdit();

    void setAboutWindow(TFormAbout *about) { formAbout = about; }

    // The serial port (tests put a scripted one here before FormCreate).
    Transport &transport() { return *port; }
    void setTransport(std::unique_ptr<Transport> transport);

    // Outer bounds as the settings keep them (frame and title included).
    QRect outerGeometry() const;
    void setOuterGeometry(const QRect &outer);

    // ---- State owned by the window
    ParameterImage parameterImage;
    std::uint8_t portNumber = 0;
    QString settingsFileName;
    QString imageFilePath;
    QString lastParameterFile;
    bool testMode = false;
    UnitIdentity unitIdentity;
    MessageTable messages;
    // The read / verify / program state machine; its counters are the window's
    // transfer state (transferMode, commandCode, statusTicks, silenceTicks ...).
    TransferEngine engine{*this, parameterImage, unitIdentity, messages};
    // The last engine speed the unit reported.
    std::uint16_t liveRpm = 0;

    // The unit's firmware version, build date and build time as last identified.
    QString versionText;
    QString dateText;
    QString timeText;

    // Point lists of the curve: index k is curve point k + 1.
    std::array<QLineEdit *, ParameterImage::kPoints> RpmEdits{};
    std::array<QLineEdit *, ParameterImage::kPoints> AdvanceEdits{};
    std::array<UpDown *, ParameterImage::kPoints> RpmSpinners{};
    std::array<UpDown *, ParameterImage::kPoints> AdvanceSpinners{};

    // The two file dialogs are made on first use: building one costs a third
    // of the window's start-up. The file names they propose are kept until then.
    QFileDialog *OpenDialog1();
    QFileDialog *SaveDialog1();
    void setDialogFileNames(const QString &openFile, const QString &saveFile);
    QTimer *Timer1 = nullptr;

    // Sets a label's text; labels that size to their text follow it.
    static void setLabelText(QLabel *label, const QString &text);
    // Sets the background of a label (or any widget) to a plain colour.
    static void setBackground(QWidget *widget, const QColor &colour);
    // Splits "short|long" into tooltip (when the control shows tooltips) and status text.
    static void setHint(QWidget *widget, const QString &hint, bool tooltip);

public slots:
    // Handlers bound to the controls and menu items.
    void MenuNewClick();
    void MenuOpenClick();
    void MenuSaveClick();
    void SpeedButtonPrintClick();
    void MenuExitClick();
    void MenuCom1Click();
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
    void EditExit(QObject *sender);
    void UpDownClick(UpDown *sender, UpDown::Button button);
    void CheckBoxProgHnedClick();
    void CheckBoxProgHnedMouseUp(QObject *sender);
    void Timer1Timer();
    void ApplicationHint(const QString &hint);

    // TransferHost: the engine's requests, carried out on the controls.
    std::optional<Frame> pollReceive() override;
    void sendFrame(const Frame &frame) override;
    void normaliseImage() override { NormaliseImage(); }
    void showImage() override { ShowImage(); }
    void setStatusCaption(const QString &caption) override;
    void setStatusRed(bool red) override;
    void setStatusVisible(bool visible) override;
    int gaugeMax() const override;
    void setGaugeMax(int max) override;
    int gaugeProgress() const override;
    void setGaugeProgress(int progress) override;
    void setGaugeVisible(bool visible) override;
    void clearFileLabel() override;
    void setConnectionVisible(bool visible) override;
    void hideVersionLabel() override;
    void showVersionMismatch(const QString &text) override;
    void identityReceived(const IdentityTexts &texts) override;
    void liveDataReceived(const LiveData &live) override;
    void highlightCurveRow() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormClose();
    void setUpControls();
    void bindHandlers();
    void buildPointLists();
    void centreOnScreen();

    // Start-up and close steps whose details live with their own subsystem.
    void loadSettings();
    void saveSettings();
    void applyCommandLine(const QStringList &arguments);
    void openPort();
    void closePort();
    void applyLanguage();
    void selectLanguage(std::uint8_t index);
    std::array<QAction *, 10> comItems() const;
    void checkComItem();
    void readTestModeMarker();

    std::unique_ptr<Ui::TFormHlav> ui;
    std::unique_ptr<Transport> port;
    TFormAbout *formAbout = nullptr;
    QFileDialog *openDialog = nullptr;
    QFileDialog *saveDialog = nullptr;
    QString openDialogFile = QStringLiteral(" ");
    QString saveDialogFile;
    bool hintHandlerInstalled = false;
};
