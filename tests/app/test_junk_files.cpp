// The window started on a settings file and an image file full of junk:
// binary bytes, NUL bytes, lines far longer than any value, negative and
// huge numbers. It starts, takes the defaults where a value is unusable, and
// leaves clean files behind at close; a settings file it cannot edit without
// losing part of it (NUL bytes, UTF-16) is left byte for byte as it was.
#include "support/fake_transport.h"

#include "app/tformhlav.h"
#include "params/parameterimage.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// What a clean image file is: 55 numbers of 0..255, each right-aligned in
// five places and followed by a space, CR LF after every tenth but the last;
// every field within its range and the curve rising within its bounds.
// Returns what is wrong, or nothing.
std::string imageFileProblem(const QByteArray &text)
{
    static const QRegularExpression layout(
        QStringLiteral("^(?:(?:[ \\d]{5} ){10}\\r\\n){5}(?:[ \\d]{5} ){5}$"));
    if (!layout.match(QString::fromLatin1(text)).hasMatch())
        return "not the layout of the image file";
    const QList<QByteArray> words = text.simplified().split(' ');
    std::array<int, ParameterImage::kSize> b{};
    for (int i = 0; i < ParameterImage::kSize; ++i) {
        b[static_cast<std::size_t>(i)] = words[i].toInt();
        if (b[static_cast<std::size_t>(i)] > 255)
            return "byte " + std::to_string(i) + " above 255";
    }
    auto within = [&](int i, int low, int high) { return b[static_cast<std::size_t>(i)] >= low && b[static_cast<std::size_t>(i)] <= high; };
    if (!within(0, 2, 9) || !within(1, 2, 9))
        return "a TOP tooth outside 2..9";
    if (!within(2, 0, 40))
        return "base advance outside 0..40";
    if (!within(3, 9, 250))
        return "limiter outside 9..250";
    if (!within(4, 0, 1) || !within(5, 0, 1))
        return "a flag neither 0 nor 1";
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        if (!within(ParameterImage::kRpmAdv + k, k + 2, k + 191))
            return "curve speed " + std::to_string(k) + " outside its bounds";
        if (k > 0 && b[static_cast<std::size_t>(ParameterImage::kRpmAdv + k)]
                         <= b[static_cast<std::size_t>(ParameterImage::kRpmAdv + k - 1)])
            return "curve speed " + std::to_string(k) + " not above the one before";
        if (!within(ParameterImage::kAdvance + k, 0, 60))
            return "advance " + std::to_string(k) + " outside 0..60";
    }
    return {};
}

// A clean settings file: every key of the tool's own sections once, with a
// decimal number (or a text on one line), and no NUL byte anywhere.
std::string settingsFileProblem(const QByteArray &text)
{
    if (text.contains('\0'))
        return "a NUL byte";
    for (const char *key : {"Left", "Top", "Height", "Width", "ComPort", "Language"}) {
        const QRegularExpression line(QStringLiteral("(?:^|\\n)%1=(-?\\d{1,10})\\r?\\n").arg(QLatin1String(key)));
        const QRegularExpressionMatch match = line.match(QString::fromLatin1(text));
        if (!match.hasMatch())
            return std::string("no decimal ") + key;
        bool ok = false;
        match.captured(1).toInt(&ok);
        if (!ok)
            return std::string(key) + " does not fit an int";
    }
    if (!text.contains("\nCheckBoxIgnAll->Checked=0") && !text.contains("\nCheckBoxIgnAll->Checked=1"))
        return "no All box";
    return {};
}

} // namespace

TEST(JunkFiles, TheWindowStartsOnJunkAndLeavesCleanFiles)
{
    const QByteArray hugeLine(200 * 1024, '7');
    const struct
    {
        const char *what;
        QByteArray settings;
        QByteArray image;
    } cases[] = {
        {"binary bytes in both", randomBytes(8192, 1), randomBytes(8192, 2)},
        {"NUL bytes inside values and numbers",
         QByteArray("[FORM_HLAV]\nLeft=1\0" "00\nComPort=3\0\nLanguage=\0" "3\nFile=a\0b.ign\n", 57),
         QByteArray("10 20\0 30 40 50", 15)},
        {"lines far longer than any value",
         "[FORM_HLAV]\nFile=" + hugeLine + "\nIniDir=" + hugeLine + "\nLeft=" + hugeLine + "\n",
         "3 9 " + hugeLine + " 5\r\n" + hugeLine},
        {"negative numbers",
         "[FORM_HLAV]\nLeft=-2147483648\nTop=-1\nHeight=-5\nWidth=-761\nComPort=-1\nLanguage=-255\n"
         "[IGNITION]\nCheckBoxIgnAll->Checked=-1\n",
         "-3 -9 -5 -70 -1 -1"},
        {"numbers too big for any type",
         "[FORM_HLAV]\nLeft=2147483648\nTop=99999999999999999999\nHeight=0x7FFFFFFFFF\nWidth=$FFFFFFFFFF\n"
         "ComPort=4294967297\nLanguage=18446744073709551619\n[IGNITION]\nCheckBoxIgnAll->Checked=99999999999\n",
         "4294967299 18446744073709551617 99999999999999999999999 255 256 257 258 259 260 261 "
         "200 199 198 197 196 195 194 193 192 191 61 62 63 64 65 255 255 255 255 255"},
        {"settings in UTF-16 with their byte-order mark",
         QByteArray("\xFF\xFE[\0P\0O\0R\0T\0S\0]\0\r\0\n\0C\0O\0M\0" "1\0=\0/\0d\0e\0v\0/\0x\0\r\0\n\0", 46),
         "3 9"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(settingspaths::settingsFile(), c.settings);
        writeFile(settingspaths::imageFile(), c.image);
        {
            auto window = std::make_unique<TFormHlav>(std::make_unique<FakeTransport>());
            window->FormCreate();
            window->show();
            for (int tick = 0; tick < 20; ++tick)
                window->Timer1Timer();
            const std::uint8_t language = window->session().language().index();
            EXPECT_LE(language, 3);
            EXPECT_GE(window->session().portNumber(), 1);
            EXPECT_LE(window->session().portNumber(), 10);
            window->close();
        }
        const QByteArray image = readFile(settingspaths::imageFile());
        EXPECT_EQ(imageFileProblem(image), "") << image.left(400).toStdString();
        const QByteArray settings = readFile(settingspaths::settingsFile());
        if (c.settings.contains('\0')) {
            EXPECT_TRUE(settings == c.settings) << settings.left(400).toHex(' ').toStdString();
            continue;
        }
        EXPECT_EQ(settingsFileProblem(settings), "") << settings.left(400).toStdString();
        // What was written reads back as written, and the place is a real one.
        const StoredSettings stored = readSettings(settingspaths::settingsFile(), StoredSettings{});
        EXPECT_GT(stored.width, 0);
        EXPECT_GT(stored.height, 0);
        EXPECT_GE(stored.comPort, 1);
        EXPECT_LE(stored.comPort, 10);
        EXPECT_LE(stored.file.size(), kMaxSettingsText);
    }
}
