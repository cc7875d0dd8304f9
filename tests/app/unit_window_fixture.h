#pragma once

#include "settings/settingspaths.h"
#include "app/tformhlav.h"
#include "session/unitsession.h"
#include "support/fake_transport.h"
#include "support/scripted_unit.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>
#include <memory>

// The main window on a port in memory with a scripted unit at its other end,
// driven tick by tick as its 55 ms timer would.
class UnitWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<TFormHlav>(std::make_unique<FakeTransport>());
        port = static_cast<FakeTransport *>(&window->session().transport());
        port->unit = &unit;
        QObject::connect(&window->session(), &UnitSession::liveDataReceived, window.get(),
                         [this] { ++liveFrames; });
    }
    void TearDown() override
    {
        window.reset();
        QFile::remove(settingspaths::settingsFile());
    }

    static void writeSettings(const QString &text)
    {
        QDir().mkpath(settingspaths::settingsFolder());
        QFile file(settingspaths::settingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

    void start()
    {
        window->FormCreate();
        window->show();
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            window->Timer1Timer();
    }
    // Ticks until the window has shown one more live frame; false if none came
    // within a live request's period and its answer.
    bool tickUntilLiveFrame()
    {
        const int before = liveFrames;
        for (int i = 0; i < 8 && liveFrames == before; ++i)
            window->Timer1Timer();
        return liveFrames > before;
    }
    // Ticks until the status label shows text, at most limit ticks.
    bool tickUntilStatus(const QString &text, int limit)
    {
        for (int i = 0; i < limit && label("LabelHlaseni") != text; ++i)
            window->Timer1Timer();
        return label("LabelHlaseni") == text;
    }

    template <typename T = QWidget>
    T *control(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString label(const char *name) const { return control<QLabel>(name)->text(); }
    QColor background(const char *name) const { return control(name)->palette().color(QPalette::Window); }
    QColor buttonFace() const { return window->palette().color(QPalette::Button); }

    ScriptedUnit unit;
    std::unique_ptr<TFormHlav> window;
    FakeTransport *port = nullptr;
    int liveFrames = 0;
};
