// The set document: every user action one step of the history, each brought
// into range the way the window's controls bring it, and one report each.
#include "session/setdocument.h"

#include "params/curvegeometry.h"
#include "settings/scratch.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Action = std::function<void(SetDocument &)>;

struct Snapshot
{
    ParameterImage image;
    QString file;
    friend bool operator==(const Snapshot &, const Snapshot &) = default;
};

Snapshot snap(const SetDocument &d)
{
    return {d.image(), d.fileName()};
}

std::string show(const Snapshot &s)
{
    std::string text = s.file.toStdString() + ":";
    for (std::uint8_t b : s.image.bytes)
        text += " " + std::to_string(b);
    return text;
}

ParameterImage defaults()
{
    ParameterImage image;
    image.applyDefaults();
    return image;
}

// A set as a unit may hold it: reserved and spare bytes of its own, the
// advance of point 5 and the limiter outside what the controls can show.
ParameterImage unitSet()
{
    ParameterImage image = defaults();
    for (int i : {6, 7, 8, 9, 30, 41, 49, 50, 54})
        image[i] = static_cast<std::uint8_t>(0xA0 + i);
    image.advance(4) = 70;
    image[ParameterImage::kLimiter] = 0;
    return image;
}

// The unit's parameter block as a reply carries it: bytes 0..49.
std::vector<std::uint8_t> blockOf(const ParameterImage &image)
{
    return {image.bytes.begin(), image.bytes.begin() + ParameterImage::kBlockSize};
}

struct Reports
{
    explicit Reports(SetDocument &d)
    {
        QObject::connect(&d, &SetDocument::changed, [this](const SetChange &c) { all.push_back(c); });
    }
    std::vector<SetChange> all;
};

std::set<std::string> fieldNames(const SetChange &c)
{
    std::set<std::string> names;
    for (const FieldSpec &spec : fieldTable()) {
        if (c.changed(spec.field))
            names.insert(spec.name.toStdString());
    }
    return names;
}

const QByteArray kOpenedFile = "KORVELIN_KEY 16\nADVANCE 1 2 3 4 5 6 7 8 9 10\nLIMITER 120\nRPM2 0\n";

} // namespace

TEST(SetDocument, EveryKindOfStepUndoesAndRedoesToTheExactBytesAndFileName)
{
    Scratch scratch;
    const QString file = scratch.write(QStringLiteral("a.ign"), kOpenedFile);
    CurveHighlight row2;
    row2.noRowHighlighted = false;
    row2.highlightedRow = 2;
    FieldValues controls = shownValues(unitSet());
    controls[static_cast<std::size_t>(fieldIndex(ParamField::BaseAdv))] = 12;

    const std::vector<std::pair<SetAction, Action>> cases{
        {SetAction::Edit, [](SetDocument &d) { d.setField(ParamField::Limiter, 15500); }},
        {SetAction::Capture, [](SetDocument &d) { d.setField(ParamField::Rpm2, 0, SetDocument::Commit::No); }},
        {SetAction::Point, [](SetDocument &d) { d.setPoint(3, 4500, 30); }},
        {SetAction::Edit, [&](SetDocument &d) { d.captureControls(controls, SetDocument::Commit::Yes); }},
        {SetAction::Shift, [&](SetDocument &d) { d.shiftAdvance(+1, row2); }},
        {SetAction::Drag,
         [](SetDocument &d) {
             // A drag's moves after the first continue its one step.
             d.applyDrag(dragPoint(d.image(), 2, 3550, 41));
             d.applyDrag(dragPoint(d.image(), 2, 3700, 44), true);
         }},
        {SetAction::New, [](SetDocument &d) { d.newSet(); }},
        {SetAction::Open, [&](SetDocument &d) { ASSERT_EQ(d.open(file), OpenResult::Opened); }},
        {SetAction::Read,
         [](SetDocument &d) {
             d.beginRead();
             ParameterImage unit = defaults();
             unit.rpmAdv(0) = 15;
             unit[7] = 0x42;
             d.takeUnitSet(blockOf(unit));
         }},
    };
    for (const auto &[kind, act] : cases) {
        SetDocument d;
        d.restore(unitSet(), QStringLiteral("/sets/start.ign"), QStringLiteral("/sets/start.ign"));
        ASSERT_FALSE(d.canUndo());
        const Snapshot before = snap(d);
        act(d);
        const Snapshot after = snap(d);
        const std::string what = "step " + std::to_string(int(kind));
        ASSERT_NE(before, after) << what << " changed nothing";
        ASSERT_EQ(d.undoAction(), kind) << what;
        d.undo();
        EXPECT_EQ(snap(d), before) << what << " undone: " << show(snap(d)) << "\nexpected " << show(before);
        EXPECT_EQ(d.redoAction(), kind) << what;
        d.redo();
        EXPECT_EQ(snap(d), after) << what << " redone: " << show(snap(d)) << "\nexpected " << show(after);
        EXPECT_FALSE(d.canRedo()) << what;
        EXPECT_EQ(d.rememberedFile(), kind == SetAction::Open ? file : QStringLiteral("/sets/start.ign")) << what;
    }
}

TEST(SetDocument, KeepsTheLatestHundredStepsAndANewStepDropsTheRedoneOnes)
{
    SetDocument d;
    std::vector<std::pair<bool, bool>> availability;
    QObject::connect(&d, &SetDocument::undoRedoChanged,
                     [&](bool undo, bool redo) { availability.emplace_back(undo, redo); });
    d.restore(defaults(), QString(), QString());
    std::vector<ParameterImage> states{d.image()};
    for (int i = 0; i < 105; ++i) {
        d.setField(ParamField::BaseAdv, i % 40); // each differs from the one before
        states.push_back(d.image());
    }
    int undone = 0;
    while (d.canUndo()) {
        d.undo();
        ++undone;
    }
    EXPECT_EQ(undone, SetDocument::kHistoryLimit);
    EXPECT_EQ(d.image(), states[5]) << "the five oldest steps are dropped";

    d.redo();
    d.redo();
    EXPECT_EQ(d.image(), states[7]);
    d.setField(ParamField::Top14, 7);
    EXPECT_FALSE(d.canRedo());
    d.undo();
    EXPECT_EQ(d.image(), states[7]);
    d.clearHistory();
    EXPECT_FALSE(d.canUndo());
    EXPECT_FALSE(d.canRedo());
    const std::vector<std::pair<bool, bool>> expected{
        {true, false}, {true, true}, {false, true}, {true, true}, {true, false}, {true, true}, {false, false}};
    EXPECT_EQ(availability, expected);
}

TEST(SetDocument, AFailedOpenOrSaveChangesNothingAndIsNoStep)
{
    Scratch scratch;
    const QString otherVersion = scratch.write(QStringLiteral("v15.ign"), "KORVELIN_KEY 15\nLIMITER 120\n");
    const QString missing = scratch.path(QStringLiteral("missing.ign"));
    const QString noFolder = scratch.path(QStringLiteral("no/such/folder/a.ign"));
    const std::vector<std::pair<const char *, std::function<bool(SetDocument &)>>> cases{
        {"missing file", [&](SetDocument &d) { return d.open(missing) == OpenResult::CannotOpen; }},
        {"other version", [&](SetDocument &d) { return d.open(otherVersion) == OpenResult::WrongVersion; }},
        {"save into no folder", [&](SetDocument &d) { return !d.save(noFolder); }},
    };
    for (const auto &[what, act] : cases) {
        SetDocument d;
        d.restore(unitSet(), QStringLiteral("/sets/start.ign"), QStringLiteral("/sets/kept.ign"));
        const Snapshot before = snap(d);
        Reports reports(d);
        EXPECT_TRUE(act(d)) << what;
        EXPECT_EQ(snap(d), before) << what << ": " << show(snap(d));
        EXPECT_EQ(d.rememberedFile(), QStringLiteral("/sets/kept.ign")) << what;
        EXPECT_FALSE(d.canUndo()) << what;
        EXPECT_TRUE(reports.all.empty()) << what;
    }
}

TEST(SetDocument, ReportsNameTheChangedFieldsAndWhetherTheEditIsCommitted)
{
    Scratch scratch;
    const QString file = scratch.write(QStringLiteral("a.ign"), kOpenedFile);
    struct Case
    {
        const char *what;
        bool fromUnitSet;
        Action act;
        std::set<std::string> fields;
        bool otherBytes, fileName, flags, recorded, committed;
    };
    const std::vector<Case> cases{
        // Editing one field bounds the others as their controls show them.
        {"edit on a unit's set", true, [](SetDocument &d) { d.setField(ParamField::BaseAdv, 6); },
         {"Base advance", "Advance point 5", "Limiter"}, false, false, false, true, true},
        // ... which alone is no step: the controls showed those values already.
        {"edit to the same value on a unit's set", true, [](SetDocument &d) { d.setField(ParamField::BaseAdv, 5); },
         {"Advance point 5", "Limiter"}, false, false, false, false, true},
        {"edit to the same value", false, [](SetDocument &d) { d.setField(ParamField::BaseAdv, 5); },
         {}, false, false, false, false, true},
        {"value out of the control's range", false, [](SetDocument &d) { d.setField(ParamField::Top23, 10); },
         {}, false, false, false, false, true},
        {"speed pushing the next point", false, [](SetDocument &d) { d.setField(rpmField(1), 3550); },
         {"RPM point 2", "RPM point 3"}, false, false, false, true, true},
        {"Advance + with no row lit", false, [](SetDocument &d) { d.shiftAdvance(+1, CurveHighlight{}); },
         {}, false, false, false, false, true},
        {"Advance - on all", false,
         [](SetDocument &d) {
             d.setAll(true);
             d.shiftAdvance(-1, CurveHighlight{});
         },
         {"Advance point 1", "Advance point 2", "Advance point 3", "Advance point 4", "Advance point 5",
          "Advance point 6", "Advance point 7", "Advance point 8", "Advance point 9", "Advance point 10"},
         false, false, false, true, true},
        {"New", true, [](SetDocument &d) { d.newSet(); }, {"Advance point 5", "Limiter"}, false, true, false,
         true, false},
        {"Open", false, [&](SetDocument &d) { d.open(file); },
         {"Advance point 1", "Advance point 2", "Advance point 3", "Advance point 4", "Advance point 5",
          "Advance point 6", "Advance point 7", "Advance point 8", "Advance point 9", "Advance point 10", "Limiter",
          "Tachometer 2x"},
         false, true, false, true, false},
        {"Read", false,
         [](SetDocument &d) {
             d.beginRead();
             d.takeUnitSet(blockOf(unitSet()));
         },
         {"Advance point 5", "Limiter"}, true, false, false, true, false},
        // An undo is reported like the edit it takes back, and commits.
        {"Undo", false,
         [](SetDocument &d) {
             d.setField(ParamField::Limiter, 8000);
             d.undo();
         },
         {"Limiter"}, false, false, false, false, true},
        {"All ticked", false, [](SetDocument &d) { d.setAll(true); }, {}, false, false, true, false, false},
        {"Programming after change ticked", false, [](SetDocument &d) { d.setProgramAfterChange(true); }, {},
         false, false, true, false, false},
    };
    for (const Case &c : cases) {
        SetDocument d;
        d.restore(c.fromUnitSet ? unitSet() : defaults(), QStringLiteral("/sets/start.ign"), QString());
        Reports reports(d);
        c.act(d);
        ASSERT_FALSE(reports.all.empty()) << c.what;
        const SetChange &r = reports.all.back();
        EXPECT_EQ(fieldNames(r), c.fields) << c.what;
        EXPECT_EQ(r.otherBytes, c.otherBytes) << c.what;
        EXPECT_EQ(r.fileNameChanged, c.fileName) << c.what;
        EXPECT_EQ(r.flagsChanged, c.flags) << c.what;
        EXPECT_EQ(r.recorded, c.recorded) << c.what;
        EXPECT_EQ(r.committed, c.committed) << c.what;
        EXPECT_EQ(d.canUndo(), c.recorded) << c.what;
    }
}

TEST(SetDocument, BytesOutOfRangeStayUntilTheNextEditOrSaveBoundsThem)
{
    Scratch scratch;
    const QString file = scratch.write(
        QStringLiteral("wide.ign"),
        "KORVELIN_KEY 16\nADVANCE 70 70 70 70 70 70 70 70 70 70\nTOP 12 1\nBASE_ADV 99\nLIMITER 0\nRPM2 5\n");
    ParameterImage fromUnit = defaults();
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        fromUnit.advance(k) = 70;
    fromUnit[ParameterImage::kTop14] = 12;
    fromUnit[ParameterImage::kTop23] = 1;
    fromUnit[ParameterImage::kBaseAdv] = 99;
    fromUnit[ParameterImage::kLimiter] = 0;
    fromUnit[ParameterImage::kRpm2] = 5;
    const std::vector<std::pair<const char *, Action>> sources{
        {"open", [&](SetDocument &d) { d.open(file); }},
        {"read", [&](SetDocument &d) { d.takeUnitSet(blockOf(fromUnit)); }},
    };
    for (const auto &[what, source] : sources) {
        SetDocument d;
        d.restore(defaults(), QString(), QString());
        source(d);
        // As they came: neither the file nor the unit is bounded on entry.
        EXPECT_EQ(d.image().advance(9), 70) << what;
        EXPECT_EQ(d.image()[ParameterImage::kLimiter], 0) << what;
        EXPECT_EQ(d.image()[ParameterImage::kRpm2], 5) << what;

        // The controls showed 60, 9, 2, 40, 999 and a tick; an edit of
        // advance point 1 captures all of them.
        d.setField(advanceField(0), 10);
        ParameterImage expected = defaults();
        expected.advance(0) = 10;
        for (int k = 1; k < ParameterImage::kPoints; ++k)
            expected.advance(k) = 60;
        expected[ParameterImage::kTop14] = 9;
        expected[ParameterImage::kTop23] = 2;
        expected[ParameterImage::kBaseAdv] = 40;
        expected[ParameterImage::kLimiter] = 9;
        expected[ParameterImage::kRpm2] = 1;
        EXPECT_EQ(d.image(), expected) << what << ": " << show(snap(d));

        // Save writes what the controls show and keeps it, without a step.
        d.undo();
        const QString saved = scratch.path(QStringLiteral("saved.ign"));
        ASSERT_TRUE(d.save(saved)) << what;
        expected.advance(0) = 60;
        EXPECT_EQ(d.image(), expected) << what << " after save: " << show(snap(d));
        EXPECT_EQ(d.fileName(), saved) << what;
        EXPECT_EQ(d.rememberedFile(), saved) << what;
        EXPECT_EQ(d.undoAction(), std::string(what) == "open" ? SetAction::Open : SetAction::Read) << what;
        EXPECT_NE(Scratch::read(saved).find("LIMITER         9 "), std::string::npos) << Scratch::read(saved);
    }
}
