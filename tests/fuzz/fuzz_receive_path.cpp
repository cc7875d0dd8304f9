// Everything the line delivers goes through the receive poll into the
// transfer engine. Here the line is the fuzzer: the first byte picks the
// operation and the number of ticks, the second the language; the rest comes
// in chunks, one per tick, each headed by a byte that gives its length and
// whether the check bytes of its whole frames are to be made valid (a unit
// that answers in well-formed but wrong frames). The engine must never report
// success without having received the block it compares against, and decode
// whatever arrives; the status presenter, fed the engine's events as the
// session feeds it, must keep its report within bounds.
#include "fuzzcheck.h"
#include "i18n/language.h"
#include "link/receivepoll.h"
#include "link/transferengine.h"
#include "session/statuspresenter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// A line in memory: what the test queues is what the poll reads.
class ScriptedLine : public Transport
{
public:
    QByteArray queue;

    bool open(const QString &, QString *) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    qint64 bytesWaiting() override { return queue.size(); }
    QByteArray read(qint64 maxBytes) override
    {
        const QByteArray taken = queue.left(maxBytes);
        queue.remove(0, taken.size());
        return taken;
    }
    void send(const QByteArray &) override {}
};

QByteArray frameHex(const Frame &frame)
{
    return hexOf(frame.data(), frame.size());
}

class RecordingHost : public TransferHost
{
public:
    RecordingHost(ScriptedLine &line, ParameterImage &image, StatusPresenter &status)
        : line(line), image(image), status(status)
    {
        QObject::connect(&status, &StatusPresenter::statusChanged, [](const StatusReport &report) {
            fuzzRequire(report.gaugeProgress >= 0 && report.gaugeProgress <= std::max(0, report.gaugeMax),
                        "the gauge left 0..max",
                        QByteArray::number(report.gaugeProgress) + " of " + QByteArray::number(report.gaugeMax));
        });
    }

    std::vector<Frame> pollReceive() override
    {
        std::vector<Frame> frames = pollFrames(line);
        for (const Frame &frame : frames) {
            checkDecoders(frame);
            if (frame[0] == replyCodeFor(kCmdReadBlock1) && frameCheckValid(frame))
                verifyBlocks.push_back(frame);
        }
        return frames;
    }
    void sendFrame(const Frame &frame) override
    {
        fuzzRequire(frameCheckValid(frame), "the tool sent a frame with a bad check byte", frameHex(frame));
    }
    void unitBlockArrived(std::span<const std::uint8_t> block) override
    {
        std::copy(block.begin(), block.end(), image.bytes.begin());
    }
    void normaliseImage() override { image.normaliseCurve(); }
    void showImage() override {}
    void readStarted() override {}
    void versionMismatch(std::uint8_t) override { status.versionMismatchClosed(); }
    void identityReceived(const IdentityTexts &texts) override { checkTexts(texts); }
    void liveDataReceived(const LiveData &) override {}
    void operationStarted(Operation operation) override
    {
        verifyBlocks.clear();
        running = true;
        status.operationStarted(operation);
    }
    void stepStarted(TransferStep step) override
    {
        fuzzRequire(running, "a step began without an operation");
        status.stepStarted(step);
    }
    void attemptSent(TransferStep, int attempt) override
    {
        fuzzRequire(attempt >= 1 && attempt <= TransferEngine::kMaxSendings, "an attempt beyond the sendings",
                    QByteArray::number(attempt));
    }
    void storingProgress(int share) override
    {
        fuzzRequire(share >= 0 && share <= 100, "storing progress outside 0..100", QByteArray::number(share));
        status.storingProgress(share);
    }
    void notStoring(bool programDone) override { status.notStoring(programDone); }
    void connectionChanged(bool connected) override { status.connectionChanged(connected); }
    void operationSucceeded(Operation) override
    {
        status.operationSucceeded();
        fuzzRequire(running, "success reported without an operation");
        running = false;
        bool seen = false;
        for (const Frame &frame : verifyBlocks) {
            seen = seen || std::equal(frame.begin() + 1, frame.begin() + 1 + ParameterImage::kBlockSize,
                                      image.bytes.begin());
        }
        fuzzRequire(seen, "success without the unit's block matching the image",
                    hexOf(image.bytes.data(), ParameterImage::kBlockSize));
        ++succeeded;
    }
    void operationFailed(Operation, TransferStep step, TransferFailure why) override
    {
        fuzzRequire(why != TransferFailure::None, "a failure without a cause");
        running = false;
        status.operationFailed(step, why);
    }
    void tickDone() override { status.tick(); }

    int succeeded = 0;

private:
    static void checkTexts(const IdentityTexts &texts)
    {
        fuzzRequire(texts.versionText.size() <= UnitIdentity::kLongNameLength, "identity name longer than 30",
                    texts.versionText.toUtf8());
        fuzzRequire(texts.dateText.size() == 10, "identity date not 10 characters", texts.dateText.toUtf8());
        fuzzRequire(texts.timeText.size() == 5, "identity time not 5 characters", texts.timeText.toUtf8());
    }

    // Every frame is decoded both ways, whatever its code: a garbled frame
    // that happens to carry a reply code reaches these decoders too.
    static void checkDecoders(const Frame &frame)
    {
        const LiveData live = decodeLiveData(frame);
        fuzzRequire(live.protocolVersion == frame[liveoffset::kVersion], "live version misread", frameHex(frame));
        liveVoltageMillivolts(live.voltageRaw);
        UnitIdentity identity;
        std::copy(frame.begin() + 1, frame.begin() + 1 + UnitIdentity::kSize, identity.bytes.begin());
        checkTexts(decodeIdentity(identity));
    }

    ScriptedLine &line;
    ParameterImage &image;
    StatusPresenter &status;
    std::vector<Frame> verifyBlocks;
    bool running = false;
};

// Chunk header: bit 7 seals the chunk's whole frames; the low 7 bits are a
// byte count below 100, else a count of whole frames (1..28), so that a
// backlog of more than 1024 bytes is within reach.
QByteArray takeChunk(const std::uint8_t *&data, const std::uint8_t *end)
{
    if (data == end)
        return {};
    const std::uint8_t header = *data++;
    const int count = header & 0x7F;
    const qsizetype wanted = count < 100 ? count : (count - 99) * kFrameSize;
    const qsizetype length = std::min<qsizetype>(wanted, end - data);
    QByteArray bytes(reinterpret_cast<const char *>(data), length);
    data += length;
    if (header & 0x80) {
        for (qsizetype at = 0; at + kFrameSize <= bytes.size(); at += kFrameSize) {
            Frame frame{};
            frameFromBytes(bytes.mid(at, kFrameSize), &frame);
            sealFrame(frame);
            bytes.replace(at, kFrameSize, frameToBytes(frame));
        }
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t *end = data + size;
    const std::uint8_t control = *data++;
    const std::uint8_t options = *data++;

    ParameterImage image;
    image.applyDefaults();
    image.normaliseCurve();
    UnitIdentity identity;
    UiLanguage language;
    language.select(options & 3);
    ScriptedLine line;
    StatusPresenter status(language);
    RecordingHost host(line, image, status);
    TransferEngine engine(host, image, identity);
    if (options & 4)
        engine.showNoConnection();

    switch (static_cast<TransferMode>(control & 3)) {
    case TransferMode::Idle:
        break;
    case TransferMode::Programming:
        if (options & 8)
            engine.startProgramAfterChange();
        else
            engine.startProgram();
        break;
    case TransferMode::Verifying:
        engine.startVerify();
        break;
    case TransferMode::Reading:
        engine.startRead();
        break;
    }

    const int ticks = 1 + (control >> 2) * 5;
    for (int t = 0; t < ticks; ++t) {
        line.queue += takeChunk(data, end);
        engine.tick();
        fuzzRequire(status.statusTicks() <= StatusPresenter::kStatusTicks, "status time above 200 ticks",
                    QByteArray::number(status.statusTicks()));
        fuzzRequire(engine.attemptCount() <= TransferEngine::kMaxSendings + 1, "more sendings than allowed",
                    QByteArray::number(engine.attemptCount()));
        const StatusReport &report = status.report();
        fuzzRequire(report.gaugeProgress >= 0 && report.gaugeProgress <= std::max(0, report.gaugeMax),
                    "the gauge left 0..max");
    }
    return 0;
}
