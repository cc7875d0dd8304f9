#pragma once

#include "app/tformhlav.h"
#include "support/fake_transport.h"
#include "i18n/language.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

// Answers every message box as it appears, remembering its texts.
struct BoxAnswerer
{
    QStringList texts;
    QTimer timer;
    BoxAnswerer()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->done(0);
            }
        });
        timer.start(5);
    }
};

// A freshly started main window, as the program's entry makes it.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<TFormHlav>();
        // Never the machine's own serial ports: a test must not depend on them
        // or hold one another needs.
        window->session().setTransport(std::make_unique<FakeTransport>());
        window->FormCreate();
    }
    void TearDown() override
    {
        window.reset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    template <typename T = QWidget>
    T *control(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << "no control named " << name;
        return found;
    }
    QAction *item(const char *name) const { return control<QAction>(name); }
    QString text(const char *name) const
    {
        if (auto *edit = window->findChild<QLineEdit *>(QLatin1String(name)))
            return edit->text();
        if (auto *label = window->findChild<QLabel *>(QLatin1String(name)))
            return label->text();
        ADD_FAILURE() << "no edit or label named " << name;
        return {};
    }

    std::unique_ptr<TFormHlav> window;
};
