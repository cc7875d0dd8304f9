// The program's first argument: --help, -h and --version answer and end
// without a window or a display; anything else leaves the window to open.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CommandLineCase
{
    QStringList arguments;
    const char *storedLanguage; // the Language key of the settings file; null: no file
    const char *output;         // a pattern standard output must match
    bool opensWindow;
};

} // namespace

TEST(CommandLine, HelpAndVersionAnswerWithoutADisplayEverythingElseOpensTheWindow)
{
    const CommandLineCase cases[] = {
        {{"--help"}, nullptr, "^Usage: torvo-tci \\[ENGLISH\\|CESKY\\|DEUTSCH\\]\n.*--version.*Torvo_TCI\\.ini", false},
        {{"-h", "ENGLISH"}, "1", "^Aufruf: torvo-tci .*--version.*Torvo_TCI\\.ini", false},
        {{"--help"}, "3", "^Použití: torvo-tci .*--version.*Torvo_TCI\\.ini", false},
        {{"--help"}, "2", "^Usage: torvo-tci ", false},
        {{"--version", "--help"}, "1", "^torvo-tci \\d+\\.\\d+\\.\\d+\n$", false},
        // Only the first argument counts, and an unknown one is ignored.
        {{"ENGLISH", "--help"}, nullptr, "^shown \\d+\n$", true},
        {{"--foo"}, nullptr, "^shown \\d+\n$", true},
        {{"-v"}, nullptr, "^shown \\d+\n$", true},
    };
    for (const CommandLineCase &c : cases) {
        const std::string name = c.arguments.join(' ').toStdString();
        QTemporaryDir home;
        const QString ini = QDir(home.path()).filePath("Torvo_TCI.ini");
        if (c.storedLanguage) {
            QFile file(ini);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("[FORM_HLAV]\nLanguage=") + c.storedLanguage + '\n');
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TORVO_TCI_HOME", home.path());
        for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(display);
        if (c.opensWindow) {
            env.insert("QT_QPA_PLATFORM", "offscreen");
            env.insert("TORVO_TCI_QUIT_AFTER_MS", "0");
        }
        QProcess app;
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(TORVO_APP_PATH), c.arguments);
        ASSERT_TRUE(app.waitForFinished(60000)) << name;
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(app.exitCode(), 0) << name << ": " << app.readAllStandardError().constData();
        const QString output = QString::fromUtf8(app.readAllStandardOutput());
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8(c.output), QRegularExpression::DotMatchesEverythingOption)
                        .match(output)
                        .hasMatch())
            << name << " printed: " << output.toStdString();
        // Only the window's close writes the settings.
        EXPECT_EQ(QFile::exists(ini), c.opensWindow || c.storedLanguage) << name;
        if (!c.opensWindow && c.arguments.first() != "--version") {
            EXPECT_TRUE(output.contains(QDir::toNativeSeparators(ini))) << name << ": the help names another settings file";
        }
    }
}
