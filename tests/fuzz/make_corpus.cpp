// Writes the seed inputs of the fuzz targets: the project's own files and
// frames, made by its own writers and encoders, and a few hand-written
// variants of each. Usage: fuzz_make_corpus <tests/fuzz/corpus>
#include "link/frame.h"
#include "link/liveframe.h"
#include "link/liverow.h"
#include "link/transferengine.h"
#include "link/unitidentity.h"
#include "params/parameterfile.h"
#include "settings/imagefile.h"
#include "session/liverecorder.h"
#include "settings/settingsfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <vector>

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

QByteArray fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A live-data recording of the given frames, 55 ms apart, as the recorder writes it.
QByteArray recording(const std::vector<LiveData> &frames)
{
    // The recorder owns the device and ends it with stop(); the bytes outlive it.
    QByteArray bytes;
    auto buffer = std::make_unique<QBuffer>(&bytes);
    buffer->open(QIODevice::ReadWrite);
    LiveRecorder recorder;
    recorder.start(std::move(buffer), QStringLiteral("seed"));
    QDateTime when = QDateTime::fromMSecsSinceEpoch(1718100000000);
    for (const LiveData &live : frames) {
        recorder.append(when, live);
        when = when.addMSecs(55);
    }
    recorder.stop();
    return bytes;
}

// The frame and the moment a live row is made of.
QByteArray liveRowInput(const LiveData &live, quint64 stamp)
{
    return frameToBytes(encodeLiveData(live)) + QByteArray(reinterpret_cast<const char *>(&stamp), sizeof stamp);
}

// A [PORTS] mapping: COM number, length of the device name, the name after
// /dev/, the file.
QByteArray portMapping(int com, const QByteArray &name, const QByteArray &file)
{
    return QByteArray(1, static_cast<char>(com)) + QByteArray(1, static_cast<char>(name.size())) + name + file;
}

// Values for the line editor (section, key and value length, then the value)
// and the text they go into.
QByteArray iniEdit(std::initializer_list<std::pair<std::pair<int, int>, QByteArray>> values, const QByteArray &text)
{
    QByteArray bytes(1, static_cast<char>(values.size() - 1));
    for (const auto &[names, value] : values)
        bytes += QByteArray(1, static_cast<char>(names.first)) + QByteArray(1, static_cast<char>(names.second))
                 + QByteArray(1, static_cast<char>(value.size())) + value;
    return bytes + text;
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
    const QByteArray settingsText = settingsFile.readAll();
    ok &= put(root, "fuzz_settings_file", "written.ini", settingsText);
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

    // Live rows and recordings.
    ok &= put(root, "fuzz_live_row", "idle.bin", liveRowInput(live, 1718100000123));
    ok &= put(root, "fuzz_live_row", "storing.bin", liveRowInput(storing, 0));
    ok &= put(root, "fuzz_live_row", "over_count.bin", liveRowInput(overCount, ~quint64(0)));
    LiveData switches = live;
    switches.blocking = 1;
    switches.neutral = 1;
    switches.dataError = 3;
    switches.voltageRaw = 65535;
    switches.rpm = 65535;
    ok &= put(root, "fuzz_live_row", "switches.bin", liveRowInput(switches, 4102444799999));
    const QByteArray ride = recording({live, storing, switches, overCount});
    ok &= put(root, "fuzz_recording", "written.csv", ride);
    ok &= put(root, "fuzz_recording", "header_only.csv", recording({}));
    ok &= put(root, "fuzz_recording", "cut_short.csv", ride.left(ride.size() - 7));
    ok &= put(root, "fuzz_recording", "crlf.csv", QByteArray(ride).replace("\n", "\r\n"));
    ok &= put(root, "fuzz_recording", "spreadsheet.csv",
              "\xEF\xBB\xBFrpm,note,advance_deg,time\r\n3000,\"a, b\",12,2024-06-11T10:00:00.000\r\n"
              " 4000 ,,x,2024-06-11T10:00:00.055\r\n\r\n5000,,14,2024-02-30T10:00:00.110");
    ok &= put(root, "fuzz_recording", "missing.csv", "time,rpm,voltage_v\n2024-06-11T10:00:00.000,3000,12.5\n");

    // [PORTS] mappings and the line editor, over files the tool wrote.
    const QString portsScratch = root.filePath("ports.tmp");
    ok &= writeSettings(portsScratch, settings);
    ok &= writePortMapping(portsScratch, 1, QStringLiteral("/dev/ttyUSB0"));
    ok &= writePortMapping(portsScratch, 10, QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0"));
    const QByteArray withPorts = fileText(portsScratch);
    QFile::remove(portsScratch);
    ok &= put(root, "fuzz_port_mapping", "remap.bin", portMapping(1, "ttyACM0", withPorts));
    ok &= put(root, "fuzz_port_mapping", "new_number.bin", portMapping(4, "serial/by-path/pci-0:1.2 port", withPorts));
    ok &= put(root, "fuzz_port_mapping", "new_section.bin", portMapping(2, "ttyS1", settingsText));
    ok &= put(root, "fuzz_port_mapping", "hand_edited.bin",
              portMapping(3, "ttyUSB1", "; mine\r\n[ports]\r\ncom3 = /dev/old\r\nCOM3=/dev/older\r\n[PORTS\r\nCOM1=x"));
    ok &= put(root, "fuzz_port_mapping", "refused.bin", portMapping(11, "ttyUSB0", withPorts));
    ok &= put(root, "fuzz_ini_text", "settings.bin",
              iniEdit({{{0, 0}, "-40"}, {{1, 10}, "1"}, {{0, 6}, "S\xC3\xBC" "d curve.ign"}}, withPorts));
    ok &= put(root, "fuzz_ini_text", "new_file.bin", iniEdit({{{3, 0}, "10"}, {{3, 3}, "753"}}, ""));
    ok &= put(root, "fuzz_ini_text", "quirks.bin",
              iniEdit({{{2, 8}, "/dev/ttyUSB0"}, {{4, 11}, "7"}},
                      "\xEF\xBB\xBF[PORTS]\r\nCOM1 = a \r\ncom1=b\r\n[\r\n\r\n FORM_HLAV]\r\nLeft=1\r\n[open"));

    // Command lines.
    const auto commandLine = [](std::initializer_list<const char *> words) {
        QByteArrayList list;
        for (const char *w : words)
            list << QByteArray(w);
        return list.join('\0');
    };
    ok &= put(root, "fuzz_cli_arguments", "live.bin",
              commandLine({"--port", "COM3", "live", "--csv", "--duration", "2.5", "-o", "ride.csv"}));
    ok &= put(root, "fuzz_cli_arguments", "program.bin",
              commandLine({"program", "set.ign", "--no-wait", "--json", "--loop"}));
    ok &= put(root, "fuzz_cli_arguments", "read.bin", commandLine({"--json", "read", "-o", "-", "--port", "/dev/ttyUSB0"}));
    ok &= put(root, "fuzz_cli_arguments", "long_duration.bin", commandLine({"live", "--duration", "1e308", "--json"}));
    ok &= put(root, "fuzz_cli_arguments", "duration_last.bin", commandLine({"live", "--duration", "2", "-o", "r", "--duration"}));
    ok &= put(root, "fuzz_cli_arguments", "odd.bin", commandLine({"verify", "--port", "--help", "a.ign", "b.ign", "--duration", "1e3"}));
    ok &= put(root, "fuzz_cli_arguments", "lenient.bin",
              commandLine({"--port=/dev/ttyUSB0", "verify", "--lenient", "--", "-old.ign"}));

    if (!ok) {
        std::fprintf(stderr, "could not write the corpus\n");
        return 1;
    }
    return 0;
}
