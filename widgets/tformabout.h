#pragma once

#include "i18n/language.h"

#include <QDialog>

#include <cstdint>

class QLabel;

// The About window: the maker's identification, the program's build date and
// time, and an "OK" label that closes it. Created hidden at start and shown
// modally by the Help menu.
class TFormAbout : public QDialog
{
    Q_OBJECT

public:
    // The design's outer size, frame and title bar included.
    static constexpr int kOuterWidth = 281;
    static constexpr int kOuterHeight = 402;

    explicit TFormAbout(QWidget *parent = nullptr);

    // The caption follows the language of the moment each time the window
    // opens; an index that is no language keeps the current one.
    static QString captionFor(Language language, const QString &current);
    void setLanguage(Language value) { language = value; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormActivate();
    void Button1Click();

    QLabel *LabelDate = nullptr;
    QLabel *LabelTime = nullptr;
    QLabel *LabelExit = nullptr;
    Language language;
};
