// An installation into a prefix holds what the desktop entry, F1 and the
// manuals refer to, and the installed program runs against the simulated unit.
#include "support/simulator_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Installation, HoldsEveryReferencedFileAndTheProgramRuns)
{
    QTemporaryDir prefix;
    QProcess install;
    install.start(QStringLiteral(TORVO_CMAKE_COMMAND),
                  {"--install", QStringLiteral(TORVO_BUILD_DIR), "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();
    const QDir root(prefix.path());

    // The desktop entry names a program on the installed path and an icon of the theme.
    QFile desktop(root.filePath("share/applications/torvo-tci.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(desktop.readAll());
    const QString exec = QRegularExpression("^Exec=(\\S+)", QRegularExpression::MultilineOption).match(entry).captured(1);
    const QString icon = QRegularExpression("^Icon=(\\S+)", QRegularExpression::MultilineOption).match(entry).captured(1);
    EXPECT_TRUE(QFileInfo(root.filePath("bin/" + exec)).isExecutable()) << exec.toStdString();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(QFile::exists(root.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon))))
            << size;
    }
    EXPECT_TRUE(QFileInfo(root.filePath("bin/torvo-tci-sim")).isExecutable());

    // F1 looks beside the program's folder, in ../share/doc/torvo-tci/manual.
    const QDir manuals(root.filePath("bin/../share/doc/torvo-tci/manual"));
    // Each file a manual refers to (pictures, style sheet, the other
    // languages) is installed beside it, and each anchor it links to is in it.
    for (const char *name : {"manual_en.html", "manual_de.html", "manual_cs.html"}) {
        QFile manual(manuals.filePath(name));
        ASSERT_TRUE(manual.open(QIODevice::ReadOnly)) << name;
        const QString text = QString::fromUtf8(manual.readAll());
        int references = 0;
        QRegularExpressionMatchIterator links = QRegularExpression(R"re((?:src|href)="([^"]*)")re").globalMatch(text);
        while (links.hasNext()) {
            const QString target = links.next().captured(1);
            if (target.contains(QLatin1Char(':')))
                continue; // a web address
            ++references;
            if (target.startsWith(QLatin1Char('#')))
                EXPECT_TRUE(text.contains(QStringLiteral("id=\"%1\"").arg(target.mid(1)))) << name << " " << target.toStdString();
            else
                EXPECT_TRUE(QFile::exists(manuals.filePath(target.section(QLatin1Char('#'), 0, 0))))
                    << name << " " << target.toStdString();
        }
        EXPECT_GT(references, 10) << name;
    }

    // Each program has its manual page, which names every option its --help
    // lists; the package's changelog and copyright file are there.
    for (const char *program : {"torvo-tci", "torvo-tci-cli", "torvo-tci-sim"}) {
        const QString page = root.filePath(QStringLiteral("share/man/man1/%1.1.gz").arg(program));
        QProcess gunzip;
        gunzip.start(QStringLiteral("gzip"), {"-dc", page});
        ASSERT_TRUE(gunzip.waitForFinished(60000)) << program;
        ASSERT_EQ(gunzip.exitCode(), 0) << page.toStdString();
        const QString roff = QString::fromUtf8(gunzip.readAllStandardOutput()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        EXPECT_TRUE(roff.startsWith(QStringLiteral(".TH %1 1 ").arg(QString::fromLatin1(program).toUpper()))) << program;
        QProcess help;
        help.start(root.filePath(QStringLiteral("bin/%1").arg(program)), {"--help"});
        ASSERT_TRUE(help.waitForFinished(60000)) << program;
        const QString options = QString::fromUtf8(help.readAllStandardOutput());
        int named = 0;
        for (const QRegularExpressionMatch &option : QRegularExpression("--[a-z][a-z-]*").globalMatch(options)) {
            ++named;
            EXPECT_TRUE(roff.contains(QRegularExpression("(?<![\\w-])" + option.captured() + "(?![\\w-])")))
                << program << " --help lists " << option.captured().toStdString() << ", its manual page does not";
        }
        EXPECT_GT(named, 1) << program;
    }
    for (const char *file : {"changelog.gz", "copyright"})
        EXPECT_TRUE(QFile::exists(root.filePath(QStringLiteral("share/doc/torvo-tci/%1").arg(file)))) << file;

    // The installed program starts against the simulator and ends with 0.
    SimulatorProcess sim;
    START_SIMULATOR(sim);
    QTemporaryDir home;
    QFile ini(QDir(home.path()).filePath("Torvo_TCI.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(sim.pty).toUtf8());
    ini.close();
    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVO_TCI_HOME", home.path());
    env.insert("TORVO_TCI_QUIT_AFTER_MS", "500");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    app.setProcessEnvironment(env);
    app.start(root.filePath("bin/torvo-tci"), {});
    ASSERT_TRUE(app.waitForFinished(60000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().constData();
    EXPECT_TRUE(app.readAllStandardOutput().startsWith("shown "));
}
