// Reading and writing Torvo_TCI.ini: the values, and what a save leaves of a
// file the user has edited.
#include "scratch.h"

#include "settings/settingsfile.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <ostream>
#include <random>
#include <string>
#include <vector>

void PrintTo(const StoredSettings &s, std::ostream *out)
{
    *out << "{left " << s.left << ", top " << s.top << ", height " << s.height << ", width " << s.width
         << ", com " << int(s.comPort) << ", language " << int(s.language) << ", file \""
         << s.file.left(40).toStdString() << (s.file.size() > 40 ? "...\" (" : "\" (") << s.file.size()
         << "), iniDir \"" << s.iniDir.toStdString() << "\", all " << s.ignAll << ", read first "
         << s.readBeforeProgramming << "}";
}

namespace {

const StoredSettings kDefaults{10, 20, 822, 761, 1, 0, QStringLiteral("default file"), QStringLiteral("default dir"),
                               false};
const StoredSettings kWritten{100, -5, 700, 640, 3, 1, QStringLiteral("/home/jan/a b.ign"),
                              QStringLiteral("/home/jan/a b.ign"), true, true};
// Text with NUL bytes in it, whole.
template <std::size_t N>
std::string bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

const char kWrittenKeys[] = "Left=100\nTop=-5\nHeight=700\nWidth=640\nComPort=3\nLanguage=1\n"
                            "File=/home/jan/a b.ign\nIniDir=/home/jan/a b.ign\n";

StoredSettings with(void (*change)(StoredSettings &))
{
    StoredSettings s = kDefaults;
    change(s);
    return s;
}

struct ReadCase
{
    const char *what;
    std::string text;
    StoredSettings expected;
};

void PrintTo(const ReadCase &c, std::ostream *out)
{
    *out << c.what;
}

class SettingsRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(SettingsRead, TakesEachValueOrItsDefault)
{
    const ReadCase &c = GetParam();
    Scratch scratch;
    const QString ini = scratch.write(QStringLiteral("Torvo_TCI.ini"), QByteArray::fromStdString(c.text));
    EXPECT_EQ(readSettings(ini, kDefaults), c.expected) << "file:\n" << c.text;
}

const std::string kLongPath(3000, 'p');

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsRead,
    ::testing::Values(
        ReadCase{"all keys", "[FORM_HLAV]\n" + std::string(kWrittenKeys) + "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n",
                 kWritten},
        ReadCase{"language keeps its low 8 bits", "[FORM_HLAV]\nLanguage=259\n",
                 with([](StoredSettings &s) { s.language = 3; })},
        ReadCase{"port above 10 is bounded later, not here", "[FORM_HLAV]\nComPort=12\n",
                 with([](StoredSettings &s) { s.comPort = 12; })},
        ReadCase{"port -1 keeps its low 8 bits", "[FORM_HLAV]\nComPort=-1\n",
                 with([](StoredSettings &s) { s.comPort = 255; })},
        ReadCase{"hexadecimal after 0x", "[FORM_HLAV]\nLeft=0x20\nTop=0X1f\n",
                 with([](StoredSettings &s) { s.left = 32, s.top = 31; })},
        ReadCase{"hexadecimal after $", "[FORM_HLAV]\nLeft=$20\nTop=$aB\n",
                 with([](StoredSettings &s) { s.left = 32, s.top = 171; })},
        ReadCase{"negative numbers", "[FORM_HLAV]\nLeft=-40\nTop=-$10\nWidth=-2147483648\n",
                 with([](StoredSettings &s) { s.left = -40, s.top = -16, s.width = INT_MIN; })},
        ReadCase{"white space around the value", "[FORM_HLAV]\n  Left =\t 7  \n",
                 with([](StoredSettings &s) { s.left = 7; })},
        ReadCase{"not an integer gives the default",
                 "[FORM_HLAV]\nLeft=abc\nTop=12abc\nHeight=\nWidth=$\nComPort=0x\nLanguage=1.5\n"
                 "[IGNITION]\nCheckBoxIgnAll->Checked=yes\n",
                 kDefaults},
        ReadCase{"beyond an int gives the default", "[FORM_HLAV]\nLeft=2147483648\nTop=0x100000000\n", kDefaults},
        ReadCase{"missing keys keep their defaults", "[FORM_HLAV]\nTop=5\n",
                 with([](StoredSettings &s) { s.top = 5; })},
        ReadCase{"keys of another section do not count", "[PORTS]\nLeft=5\nCheckBoxIgnAll->Checked=1\n", kDefaults},
        ReadCase{"names without case", "[form_hlav]\nLEFT=5\n[Ignition]\ncheckboxignall->checked=1\n",
                 with([](StoredSettings &s) { s.left = 5, s.ignAll = true; })},
        ReadCase{"the first of two equal keys counts", "[FORM_HLAV]\nLeft=1\nLeft=2\n[FORM_HLAV]\nLeft=3\n",
                 with([](StoredSettings &s) { s.left = 1; })},
        ReadCase{"the box is ticked for any value but 0", "[IGNITION]\nCheckBoxIgnAll->Checked=7\n",
                 with([](StoredSettings &s) { s.ignAll = true; })},
        ReadCase{"read before programming is a flag of its own", "[IGNITION]\nMenuReadBeforeProgramming->Checked=1\n",
                 with([](StoredSettings &s) { s.readBeforeProgramming = true; })},
        ReadCase{"empty texts are read as empty", "[FORM_HLAV]\nFile=\nIniDir=\n",
                 with([](StoredSettings &s) { s.file.clear(), s.iniDir.clear(); })},
        ReadCase{"texts are cut after 2047 characters", "[FORM_HLAV]\nFile=" + kLongPath + "\n",
                 with([](StoredSettings &s) { s.file = QString(2047, QLatin1Char('p')); })},
        ReadCase{"CR LF, byte-order mark and comments", "\xEF\xBB\xBF; comment\r\n[FORM_HLAV]\r\n# another\r\nLeft=9\r\n",
                 with([](StoredSettings &s) { s.left = 9; })},
        ReadCase{"text in UTF-8", "[FORM_HLAV]\nFile=/d\xC3\xADl/\xC5\xA1roub.ign\n",
                 with([](StoredSettings &s) { s.file = QString::fromUtf8("/d\xC3\xADl/\xC5\xA1roub.ign"); })},
        ReadCase{"binary bytes: nothing after a NUL is read",
                 bytes("\x01\xFF\xFE=\x80\n[FORM_HLAV]\nTop=4\n\0Left=5\n"),
                 with([](StoredSettings &s) { s.top = 4; })},
        ReadCase{"a line of 100,000 characters", "[FORM_HLAV]\n" + std::string(100000, ']') + "\nLeft=6\nFile=" +
                 std::string(100000, 'f') + "\n",
                 with([](StoredSettings &s) { s.left = 6, s.file = QString(2047, QLatin1Char('f')); })},
        // After a "[" the reader skips white space, line breaks included: the
        // next line is taken as a broken header and the keys after it as keys
        // of no usable section.
        ReadCase{"a lone [ spoils the lines after it", "[FORM_HLAV]\n[\nLeft=5\nTop=6\n", kDefaults},
        ReadCase{"junk", "]]]=\n[\n=5\n[FORM_HLAV\nLeft=5\n==\n;[FORM_HLAV]\nTop=6\n", kDefaults}));

TEST(SettingsWrite, FreshFileHasEveryKeyInOrder)
{
    Scratch scratch;
    const QString ini = scratch.path(QStringLiteral("new/folder/Torvo_TCI.ini"));
    QString reason;
    ASSERT_TRUE(writeSettings(ini, kWritten, &reason)) << reason.toStdString();
    EXPECT_EQ(Scratch::read(ini), "[FORM_HLAV]\n"
                                  "Left=100\nTop=-5\nHeight=700\nWidth=640\nComPort=3\nLanguage=1\n"
                                  "File=/home/jan/a b.ign\nIniDir=/home/jan/a b.ign\n"
                                  "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n");
    EXPECT_EQ(readSettings(ini, kDefaults), kWritten);
}

struct RoundTrip
{
    const char *what;
    StoredSettings written;
    StoredSettings read;
};

TEST(SettingsWrite, ValuesReadBackAsTheFileCanHoldThem)
{
    const StoredSettings extremes{INT_MIN, INT_MAX, 0, -1, 255, 2, QString(), QString(), false};
    const StoredSettings czech{1, 2, 3, 4, 5, 3, QString::fromUtf8("C:\\d\xC3\xADly\\\xC5\xA1roub.ign"),
                               QStringLiteral("$x = 0x10 ; not a comment"), false};
    StoredSettings lineBreak = kWritten;
    lineBreak.file = QStringLiteral("  first line\t\nsecond line");
    lineBreak.iniDir = QStringLiteral("a\rb");
    StoredSettings firstLine = lineBreak;
    firstLine.file = QStringLiteral("first line");
    firstLine.iniDir = QStringLiteral("a");
    for (const RoundTrip &c : {RoundTrip{"extremes", extremes, extremes}, RoundTrip{"texts", czech, czech},
                               RoundTrip{"line breaks and outer blanks", lineBreak, firstLine}}) {
        Scratch scratch;
        const QString ini = scratch.path(QStringLiteral("Torvo_TCI.ini"));
        ASSERT_TRUE(writeSettings(ini, c.written)) << c.what;
        EXPECT_EQ(readSettings(ini, kDefaults), c.read) << c.what << "; file:\n" << Scratch::read(ini);
    }
}

struct EditCase
{
    const char *what;
    std::string before;
    std::string after;
};

void PrintTo(const EditCase &c, std::ostream *out)
{
    *out << c.what;
}

class SettingsEdit : public ::testing::TestWithParam<EditCase>
{
};

// Only the values written change: the user's sections, comments, blank lines,
// spacing and line breaks keep their bytes and their place.
TEST_P(SettingsEdit, ChangesOnlyTheValuesWritten)
{
    const EditCase &c = GetParam();
    Scratch scratch;
    const QString ini = scratch.write(QStringLiteral("Torvo_TCI.ini"), QByteArray::fromStdString(c.before));
    QString reason;
    ASSERT_TRUE(writeSettings(ini, kWritten, &reason)) << reason.toStdString();
    EXPECT_EQ(Scratch::read(ini), c.after) << "before:\n" << c.before;
    EXPECT_EQ(readSettings(ini, kDefaults), kWritten);
    // A second save of the same values changes nothing.
    ASSERT_TRUE(writeSettings(ini, kWritten, &reason)) << reason.toStdString();
    EXPECT_EQ(Scratch::read(ini), c.after) << "second save";
}

INSTANTIATE_TEST_SUITE_P(
    UserFiles, SettingsEdit,
    ::testing::Values(
        EditCase{"hand-edited file with ports, comments and an extra section, CR LF",
                 "; Torvo TCI\r\n; set up by hand\r\n\r\n"
                 "[FORM_HLAV]\r\nLeft = 12   \r\nTop=34\r\nCustom=keep me\r\n\r\n"
                 "# ports of this workshop PC\r\n[PORTS]\r\n; USB adapter on the bench\r\n"
                 "COM1=/dev/ttyUSB0\r\n  COM2 = ttyACM0 ; the spare one\r\n\r\n\r\n"
                 "[Extra]\r\nfoo=bar\r\nfoo=baz\r\n"
                 "[IGNITION]\r\nCheckBoxIgnAll->Checked=0\r\n; end of file\r\n",
                 "; Torvo TCI\r\n; set up by hand\r\n\r\n"
                 "[FORM_HLAV]\r\nLeft = 100   \r\nTop=-5\r\nCustom=keep me\r\n"
                 "Height=700\r\nWidth=640\r\nComPort=3\r\nLanguage=1\r\n"
                 "File=/home/jan/a b.ign\r\nIniDir=/home/jan/a b.ign\r\n\r\n"
                 "# ports of this workshop PC\r\n[PORTS]\r\n; USB adapter on the bench\r\n"
                 "COM1=/dev/ttyUSB0\r\n  COM2 = ttyACM0 ; the spare one\r\n\r\n\r\n"
                 "[Extra]\r\nfoo=bar\r\nfoo=baz\r\n"
                 "[IGNITION]\r\nCheckBoxIgnAll->Checked=1\r\nMenuReadBeforeProgramming->Checked=1\r\n; end of file\r\n"},
        EditCase{"only ports, no line break at the end", "[PORTS]\nCOM1=/dev/ttyUSB0",
                 "[PORTS]\nCOM1=/dev/ttyUSB0\n[FORM_HLAV]\n" + std::string(kWrittenKeys) +
                     "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n"},
        EditCase{"keys in another order and case keep their place",
                 "[form_hlav]\nIniDir=x\nfile=y\n; c\n[IGNITION]\n",
                 "[form_hlav]\nIniDir=/home/jan/a b.ign\nfile=/home/jan/a b.ign\n"
                 "Left=100\nTop=-5\nHeight=700\nWidth=640\nComPort=3\nLanguage=1\n; c\n"
                 "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n"},
        EditCase{"section given twice: the first of each key changes, a second Left= stays",
                 "[FORM_HLAV]\nLeft=1\n[PORTS]\nCOM1=a\n[FORM_HLAV]\nTop=2\nLeft=3\n",
                 "[FORM_HLAV]\nLeft=100\nHeight=700\nWidth=640\nComPort=3\nLanguage=1\n"
                 "File=/home/jan/a b.ign\nIniDir=/home/jan/a b.ign\n[PORTS]\nCOM1=a\n[FORM_HLAV]\nTop=-5\nLeft=3\n"
                 "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n"},
        EditCase{"byte-order mark kept, an empty section filled",
                 "\xEF\xBB\xBF[IGNITION]\n[FORM_HLAV]\n",
                 "\xEF\xBB\xBF[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n[FORM_HLAV]\n" + std::string(kWrittenKeys)},
        EditCase{"only a byte-order mark", "\xEF\xBB\xBF",
                 "\xEF\xBB\xBF[FORM_HLAV]\n" + std::string(kWrittenKeys) + "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n"},
        EditCase{"duplicate keys: only the first, the one read, changes; no line goes",
                 "[FORM_HLAV]\r\nLeft=1\r\nTop=2\r\n left = 3 \r\nX=1\r\nX=2\r\n[IGNITION]\r\n"
                 "CheckBoxIgnAll->Checked=1\r\nCheckBoxIgnAll->Checked=0\r\n",
                 "[FORM_HLAV]\r\nLeft=100\r\nTop=-5\r\n left = 3 \r\nX=1\r\nX=2\r\nHeight=700\r\nWidth=640\r\n"
                 "ComPort=3\r\nLanguage=1\r\nFile=/home/jan/a b.ign\r\nIniDir=/home/jan/a b.ign\r\n[IGNITION]\r\n"
                 "CheckBoxIgnAll->Checked=1\r\nCheckBoxIgnAll->Checked=0\r\nMenuReadBeforeProgramming->Checked=1\r\n"},
        EditCase{"a [ left open at the end is closed, not removed, before a section is added",
                 "[PORTS]\nCOM1=a\n[\n\n",
                 "[PORTS]\nCOM1=a\n[\n\n]\n[FORM_HLAV]\n" + std::string(kWrittenKeys) +
                     "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n"},
        EditCase{"junk lines and 100,000 characters stay, the values are replaced",
                 std::string(100000, 'j') + "\n[FORM_HLAV\n=5\n[FORM_HLAV]\nFile=" + std::string(100000, 'f') +
                     "\n\x80\xFF junk\n",
                 std::string(100000, 'j') + "\n[FORM_HLAV\n=5\n[FORM_HLAV]\nFile=/home/jan/a b.ign\n"
                     "Left=100\nTop=-5\nHeight=700\nWidth=640\nComPort=3\nLanguage=1\nIniDir=/home/jan/a b.ign\n"
                     "\x80\xFF junk\n[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n"},
        EditCase{"a broken header ends the section: keys after it are no one's",
                 "[FORM_HLAV]\nTop=1\n[BROKEN\nLeft=5\n",
                 "[FORM_HLAV]\nTop=-5\nLeft=100\nHeight=700\nWidth=640\nComPort=3\nLanguage=1\n"
                 "File=/home/jan/a b.ign\nIniDir=/home/jan/a b.ign\n[BROKEN\nLeft=5\n"
                 "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n"},
        EditCase{"a lone [ takes the next line as its header",
                 "[\n\n  FORM_HLAV ]\nLeft=1\n[\nLeft=5\nTop=6\n",
                 "[\n\n  FORM_HLAV ]\nLeft=100\nTop=-5\nHeight=700\nWidth=640\nComPort=3\nLanguage=1\n"
                 "File=/home/jan/a b.ign\nIniDir=/home/jan/a b.ign\n[\nLeft=5\nTop=6\n"
                 "[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n"}));

// Files made of the pieces INI lines are made of, and of plain random bytes:
// whatever the reader makes of them, a save must succeed and read back, unless
// the file holds a NUL byte or starts like UTF-16; then it is left byte for
// byte as it was.
TEST(SettingsWrite, ScrambledFilesAreSavedAndReadBack)
{
    const std::vector<std::string> pieces{"[", "]", "=", ";", "#", "\n", "\r", "\r\n", " ", "\t", "x",
                                          "FORM_HLAV", "form_hlav", "IGNITION", "Left", "Top", "File",
                                          "CheckBoxIgnAll->Checked", "\xEF\xBB\xBF", std::string(1, '\0'), "\xFF"};
    std::mt19937 random(20240611);
    Scratch scratch;
    for (int round = 0; round < 200; ++round) {
        std::string junk;
        for (int i = 0; i < 200; ++i) {
            junk += round % 4 == 0 ? std::string(1, static_cast<char>(random() % 256))
                                   : pieces[random() % pieces.size()];
        }
        const QString ini = scratch.write(QStringLiteral("Torvo_TCI.ini"), QByteArray::fromStdString(junk));
        (void)readSettings(ini, kDefaults);
        QString reason;
        const bool kept = junk.find('\0') != std::string::npos || junk.rfind("\xFF\xFE", 0) == 0
                          || junk.rfind("\xFE\xFF", 0) == 0;
        ASSERT_EQ(writeSettings(ini, kWritten, &reason), !kept) << reason.toStdString() << "\nfile: " << junk;
        if (kept) {
            EXPECT_TRUE(Scratch::read(ini) == junk) << "file: " << junk;
        } else {
            EXPECT_EQ(readSettings(ini, kDefaults), kWritten) << "file: " << junk;
        }
    }
}

// A file the line editor cannot keep whole is not written at all: its
// [PORTS] section and everything else stay byte for byte.
TEST(SettingsWrite, FailureLeavesTheFilesAsTheyWereAndSaysWhy)
{
    Scratch scratch;
    const QString blocker = scratch.write(QStringLiteral("blocker"), "not a folder");
    const QByteArray ports = "[FORM_HLAV]\r\nLeft=5\r\n[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n";
    QByteArray utf16 = "\xFF\xFE";
    for (const char c : ports)
        utf16 += QByteArray(1, c) + '\0';
    const struct
    {
        const char *what;
        QString ini;
        QByteArray before; // empty: nothing to write beforehand
    } cases[] = {
        {"a folder that cannot be made", blocker + QStringLiteral("/Torvo_TCI.ini"), {}},
        {"larger than 1 MiB", scratch.path(QStringLiteral("huge.ini")), "[PORTS]\n" + QByteArray(2 << 20, 'x')},
        {"a NUL byte before [PORTS]", scratch.path(QStringLiteral("nul.ini")),
         QByteArray("[FORM_HLAV]\nLeft=5") + '\0' + QByteArray("\n[PORTS]\nCOM1=/dev/ttyUSB0\n")},
        {"UTF-16 with its byte-order mark", scratch.path(QStringLiteral("utf16.ini")), utf16},
        {"UTF-16 big-endian, no NUL byte", scratch.path(QStringLiteral("utf16be.ini")), "\xFE\xFF\x30\x42\x30\x44"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.before.isEmpty())
            scratch.write(QFileInfo(c.ini).fileName(), c.before);
        QString reason;
        EXPECT_FALSE(writeSettings(c.ini, kWritten, &reason));
        EXPECT_FALSE(writePortMapping(c.ini, 2, QStringLiteral("/dev/ttyUSB1"), &reason));
        EXPECT_TRUE(reason.contains(c.ini)) << "reason: " << reason.toStdString();
        EXPECT_EQ(Scratch::read(blocker), "not a folder");
        if (!c.before.isEmpty()) {
            EXPECT_TRUE(Scratch::read(c.ini) == c.before.toStdString()) << Scratch::read(c.ini);
        }
    }
}

} // namespace
