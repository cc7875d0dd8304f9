// Shared entry point of the test programs.
#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef TORVO_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

namespace {

// Every test starts on an empty settings folder: a window closed by one test
// writes its settings, and the next test must not start from them.
class FreshSettingsFolder : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override
    {
        QDir folder(qEnvironmentVariable("TORVO_TCI_HOME"));
        folder.removeRecursively();
        folder.mkpath(QStringLiteral("."));
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Tests never need a display; a developer may still override this to watch them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    // Settings, the image file and the test-mode marker go to a folder of the run's own.
    QTemporaryDir home;
    qputenv("TORVO_TCI_HOME", QDir(home.path()).absolutePath().toLocal8Bit());

    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettingsFolder);
    TestApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return RUN_ALL_TESTS();
}
