// Writes the seed inputs of the fuzz targets: the project's own files and
// frames, made by its own writers and encoders, and a few hand-written
// variants of each. Usage: fuzz_make_corpus <tests/fuzz/corpus>
#include "link/frame.h"
#include "link/liveframe.h"
#include "link/transferengine.h"
#include "link/unitidentity.h"
#include "params/parameterfile.h"
#include "settings/imagefile.h"
#include "settings/settingsfile.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <initializer_list>

namespace {

bool put(const QDir &root, const QString &target, const QString &name, const QByteArray &bytes)
{
    if (!root.mkpath(target))
        return false;
    QFile file(root.filePath(target + QLatin1Char('/') + name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

ParameterImage defaultImage()
{
    ParameterImage image;
    image.applyDefaults();
    image.normaliseCurve();
    return image;
}

// One receive-path chunk holding whole frames whose check bytes are made valid.
QByteArray frames(std::initializer_list<Frame> list)
{
    const int count = static_cast<int>(list.size());
    QByteArray bytes(1, static_cast<char>(0x80 | (99 + count)));
    for (const Frame &frame : list)
        bytes += frameToBytes(frame);
    return bytes;
}

Frame reply(std::uint8_t code, const std::uint8_t *payload)
{
    Frame frame{};
    frame[0] = code;
    std::copy(payload, payload + kPayloadSize, frame.begin() + 1);
    sealFrame(frame);
    return frame;
}

// control: the operation in the low two bits, the ticks (1 + 5 n) above them.
QByteArray receiveInput(TransferMode mode, int tickFives, std::uint8_t options)
{
    QByteArray bytes;
    bytes += static_cast<char>((tickFives << 2) | static_cast<int>(mode));
    bytes += static_cast<char>(options);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    const ParameterImage image = defaultImage();

    // .ign files.
    const QByteArray ign = parameterFileText(image);
    ok &= put(root, "fuzz_parameter_file", "default.ign", ign);
    QByteArray unixLines = ign;
    unixLines.replace("\r\n", "\n");
    ok &= put(root, "fuzz_parameter_file", "lf_lines.ign", unixLines);
    ok &= put(root, "fuzz_parameter_file", "version15.ign", QByteArray(ign).replace("KORVELIN_KEY   16", "KORVELIN_KEY   15"));
    ok &= put(root, "fuzz_parameter_file", "short_lines.ign",
              "KORVELIN_KEY 16\r\nRPM_ADV 100 900 300\r\nADVANCE 5 -3\r\nTOP 3\r\nLIMITER 99999\r\nRPM2 +1 BLOK_ENABLE");
    ok &= put(root, "fuzz_parameter_file", "prose_before.ign",
              "notes KORVELIN_KEY x KORVELIN_KEY 016TOP 7 8 BASE_ADV 12abc RPM_ADV 25500 65536");
    ok &= put(root, "fuzz_parameter_file", "wide_header.ign",
              "KORVELIN_KEY 65552\r\nLIMITER 7\r\nKORVELIN_KEY +16 KORVELIN_KEY 16\r\nADVANCE 18446744073709551617 -0 7");

    // _Torvo_TCI.ini.
    ParameterImage numbered;
    for (int i = 0; i < ParameterImage::kSize; ++i)
        numbered[i] = static_cast<std::uint8_t>(i * 5);
    const QString scratch = root.filePath("image.tmp");
    ok &= writeImageFile(scratch, image);
    QFile written(scratch);
    ok &= written.open(QIODevice::ReadOnly);
    ok &= put(root, "fuzz_image_file", "default.ini", written.readAll());
    written.close();
    ok &= writeImageFile(scratch, numbered);
    written.open(QIODevice::ReadOnly);
    ok &= put(root, "fuzz_image_file", "numbered.ini", written.readAll());
    written.close();
    QFile::remove(scratch);
    ok &= put(root, "fuzz_image_file", "stops.ini", "3 9 5 70 1 1 0 0 0 0 10 20x 30");
    ok &= put(root, "fuzz_image_file", "wide.ini", "\t300\v 65535\f00007 4294967297\r\n-1 2");

    // Torvo_TCI.ini.
    StoredSettings settings;
    settings.left = 120;
    settings.top = -40;
    settings.height = 468;
    settings.width = 640;
    settings.comPort = 3;
    settings.language = 1;
    settings.file = QStringLiteral("Süd curve.ign");
    settings.iniDir = QStringLiteral("/home/user/ign");
    settings.ignAll = true;
    const QString settingsScratch = root.filePath("settings.tmp");
    ok &= writeSettings(settingsScratch, settings);
    QFile settingsFile(settingsScratch);
    ok &= settingsFile.open(QIODevice::ReadOnly);
    ok &= put(root, "fuzz_settings_file", "written.ini", settingsFile.readAll());
    settingsFile.close();
    QFile::remove(settingsScratch);
    ok &= put(root, "fuzz_settings_file", "hand_edited.ini",
              "; kept by hand\r\n[PORTS]\r\nCOM1=/dev/ttyUSB0\r\n\r\n[form_hlav]\r\nLeft = 0x10\r\n"
              "Top=$-1F\r\nLeft=5\r\nComPort=259\r\nFile=  a b  \r\n[IGNITION]\r\n"
              "CheckBoxIgnAll->Checked=1\r\n[FORM_HLAV]\r\nWidth=2147483648\r\n[\r\nHEIGHT]\r\nx=1");

    // test_varnek.txt.
    ok &= put(root, "fuzz_test_marker", "on.txt", "TEST_ENABLE\r\n");
    ok &= put(root, "fuzz_test_marker", "near_misses.txt", "test_enable TEST_ENABLE1 xTEST_ENABLE\tTEST_ENABL");
    ok &= put(root, "fuzz_test_marker", "last_word.txt", "notes\n\n  TEST_ENABLE");

    // The line: live data, identities, blocks.
    LiveData live;
    live.rpm = 4500;
    live.advance = 27;
    live.voltageRaw = 1666;
    live.programmingCount = 12;
    live.protocolVersion = kProtocolVersion;
    LiveData storing = live;
    storing.savingCountdown = 55;
    LiveData overCount = live;
    overCount.savingCountdown = 400;
    IdentityFields fields;
    fields.name = QStringLiteral("TCI");
    fields.number = 7;
    fields.day = 14;
    fields.month = 3;
    fields.year = 2019;
    fields.hour = 9;
    fields.minute = 41;
    const UnitIdentity unit = encodeIdentity(fields);
    IdentityFields longFields = fields;
    longFields.longName = QStringLiteral("Torvo racing ignition twin 2x2");
    const UnitIdentity longUnit = encodeIdentity(longFields);
    IdentityFields otherFields = fields;
    otherFields.version = 15;
    const UnitIdentity otherUnit = encodeIdentity(otherFields);
    const std::uint8_t *block = image.bytes.data();

    ok &= put(root, "fuzz_receive_path", "idle_live.bin",
              receiveInput(TransferMode::Idle, 8, 0) + frames({encodeLiveData(live)}) + frames({encodeLiveData(storing)})
                  + QByteArray(1, '\0') + frames({encodeLiveData(overCount), encodeLiveData(live)}));
    ok &= put(root, "fuzz_receive_path", "read.bin",
              receiveInput(TransferMode::Reading, 2, 0) + frames({reply(0xC0, unit.bytes.data())})
                  + frames({reply(0xC1, block)}) + frames({reply(0xC1, block)}));
    ok &= put(root, "fuzz_receive_path", "read_long_name.bin",
              receiveInput(TransferMode::Reading, 2, 3)
                  + frames({encodeLiveData(live), reply(0xC0, longUnit.bytes.data()), reply(0xC1, block)})
                  + frames({reply(0xC1, block)}));
    ok &= put(root, "fuzz_receive_path", "program.bin",
              receiveInput(TransferMode::Programming, 3, 1) + frames({reply(0x80, unit.bytes.data())})
                  + frames({reply(0x81, block)}) + frames({reply(0xC1, block)}) + frames({encodeLiveData(storing)}));
    ok &= put(root, "fuzz_receive_path", "program_after_change.bin",
              receiveInput(TransferMode::Programming, 4, 8) + QByteArray(4, '\0') + frames({reply(0x80, unit.bytes.data())})
                  + frames({reply(0x81, block), reply(0xC1, block)}));
    ok &= put(root, "fuzz_receive_path", "verify.bin",
              receiveInput(TransferMode::Verifying, 1, 0) + QByteArray(1, '\0') + frames({reply(0xC1, block)}));
    ok &= put(root, "fuzz_receive_path", "other_version.bin",
              receiveInput(TransferMode::Reading, 1, 4) + frames({reply(0xC0, otherUnit.bytes.data())}));
    QByteArray backlog = receiveInput(TransferMode::Verifying, 6, 0) + QByteArray(1, static_cast<char>(0xFF));
    for (int i = 0; i < 28; ++i)
        backlog += frameToBytes(encodeLiveData(live));
    ok &= put(root, "fuzz_receive_path", "backlog.bin", backlog + frames({reply(0xC1, block)}));

    if (!ok) {
        std::fprintf(stderr, "could not write the corpus\n");
        return 1;
    }
    return 0;
}
