// Scanners: the assembler fed with recorded key events (evemu text, tests/participants/data/),
// the links in the settings, and the scanner input over a fake device layer (what is read and
// grabbed, hot-plug, detect mode, no permission) and the detection tree. No test opens a real device.

#include "core/barcode/BarcodeDispatcher.h"
#include "core/util/AppPaths.h"
#include "participants/DetectedInputModel.h"
#include "participants/InputDevices.h"
#include "participants/LinuxInputDevices.h"
#include "participants/ScanAssembler.h"
#include "tests/core/lists/ModelTesterGuard.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <algorithm>

using namespace tvp;

namespace {

// The EV_KEY events of an evemu recording, for one device handle. Times are kept as recorded
// plus an offset, so two recordings can be played at once.
std::vector<TRawKeyEvent> recording(const QString& name, quint32 handle, qint64 offsetMs = 0)
{
    QFile file(QStringLiteral(TVP_TEST_DATA "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    static const QRegularExpression line(QStringLiteral(R"(^E: (\d+)\.(\d{6}) ([0-9a-f]{4}) ([0-9a-f]{4}) (-?\d+))"));
    std::vector<TRawKeyEvent> events;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(raw));
        if (!m.hasMatch() || m.captured(3).toInt(nullptr, 16) != EV_KEY)
            continue;
        TRawKeyEvent e;
        e.device = handle;
        e.code = quint16(m.captured(4).toInt(nullptr, 16));
        e.value = m.captured(5).toInt();
        e.timeMs = m.captured(1).toLongLong() * 1000 + m.captured(2).toLongLong() / 1000 + offsetMs;
        events.push_back(e);
    }
    EXPECT_FALSE(events.empty()) << name.toStdString();
    return events;
}

std::vector<TRawKeyEvent> merged(std::vector<TRawKeyEvent> a, const std::vector<TRawKeyEvent>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    std::stable_sort(a.begin(), a.end(), [](const auto& x, const auto& y) { return x.timeMs < y.timeMs; });
    return a;
}

struct Feed {
    QStringList codes;
    TScanAssembler assembler{[this](const QString& code) { codes.append(code); }};

    // How many of the events were taken.
    int play(const std::vector<TRawKeyEvent>& events)
    {
        int taken = 0;
        for (const TRawKeyEvent& e : events)
            taken += assembler.OnRawKeyMessage(e) ? 1 : 0;
        return taken;
    }
};

class ScannerSettings : public ::testing::Test {
protected:
    test::TempAppFolders folders;

    QByteArray settingsFile() const
    {
        QFile f(AppPaths::commonAppDataFile(QStringLiteral("TVPsettings.ini")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QStringList names(const std::vector<TScanner>& scanners)
    {
        QStringList out;
        for (const TScanner& s : scanners)
            out.append(s.name);
        return out;
    }
};

const QString kScannerA = QStringLiteral("/dev/input/by-path/pci-0000:00:14.0-usb-0:1:1.0-event-kbd");
const QString kScannerB = QStringLiteral("/dev/input/by-path/pci-0000:00:14.0-usb-0:2:1.0-event-kbd");
const QString kScannerC = QStringLiteral("/dev/input/by-path/pci-0000:00:14.0-usb-0:3:1.0-event-kbd");
const QString kKeyboard = QStringLiteral("/dev/input/by-path/platform-i8042-serio-0-event-kbd");

// ---- the assembler ----

TEST_F(ScannerSettings, ARecordedScanBecomesOneCodeAndEveryKeyOfTheScannerIsTaken)
{
    Feed feed;
    ASSERT_TRUE(feed.assembler.addActiveScanner(kScannerA));
    feed.assembler.resolveDevices({{5, kScannerA, {}}});
    const auto events = recording(QStringLiteral("scanner-a11x.events"), 5);
    EXPECT_EQ(feed.play(events), int(events.size())) << "Shift, key-up and Enter too never reach the desktop";
    EXPECT_EQ(feed.codes, QStringList{QStringLiteral("A11X")});

    feed.play({{5, KEY_ENTER, 1, 200000}, {5, KEY_KPENTER, 1, 200001}});
    EXPECT_EQ(feed.codes.size(), 1) << "Enter on an empty buffer dispatches nothing";
}

TEST_F(ScannerSettings, TwoScannersTypingAtOnceFillSeparateBuffers)
{
    Feed feed;
    feed.assembler.addActiveScanner(kScannerA);
    feed.assembler.addActiveScanner(kScannerB);
    feed.assembler.resolveDevices({{1, kScannerA, {}}, {2, kScannerB, {}}});
    // The second recording starts 1 ms later and types slower: their keys interleave throughout.
    const auto both = merged(recording(QStringLiteral("scanner-a11x.events"), 1),
                             recording(QStringLiteral("scanner-t-code.events"), 2));
    ASSERT_NE(both[1].device, both[2].device);
    feed.play(both);
    EXPECT_EQ(feed.codes, (QStringList{QStringLiteral("A11X"), QStringLiteral("T5X11X1X8V")}));
}

TEST_F(ScannerSettings, APauseOfMoreThan1500MsStartsANewCode)
{
    Feed feed;
    feed.assembler.addActiveScanner(kScannerA);
    feed.assembler.resolveDevices({{1, kScannerA, {}}});
    // Key-downs at the given times, each released 1 ms later.
    const auto keys = [](std::initializer_list<std::pair<quint16, qint64>> downs) {
        std::vector<TRawKeyEvent> events;
        for (const auto& [key, t] : downs) {
            events.push_back({1, key, 1, t});
            events.push_back({1, key, 0, t + 1});
        }
        return events;
    };
    const qint64 gap = TScanAssembler::kCodeGapMs;
    feed.play(keys({{KEY_A, 1000}, {KEY_1, 1010}, {KEY_1, 1010 + gap + 1}, {KEY_X, 3000}, {KEY_ENTER, 3010}}));
    EXPECT_EQ(feed.codes, QStringList{QStringLiteral("1X")}) << "the half code before the pause is dropped";

    feed.play(keys({{KEY_A, 5000}, {KEY_1, 5010}, {KEY_1, 5010 + gap}, {KEY_X, 6520}, {KEY_ENTER, 6530}}));
    EXPECT_EQ(feed.codes.last(), QStringLiteral("A11X")) << "exactly 1500 ms is no pause yet";

    feed.play(keys({{KEY_B, 8000}, {KEY_X, 8010}, {KEY_ENTER, 20000}}));
    EXPECT_EQ(feed.codes.last(), QStringLiteral("BX")) << "Enter after a long pause still ends what was collected";

    // A key without a character (Shift) still counts as typing.
    feed.play(keys({{KEY_A, 30000}, {KEY_LEFTSHIFT, 31000}, {KEY_1, 32000}, {KEY_ENTER, 32010}}));
    EXPECT_EQ(feed.codes.last(), QStringLiteral("A1"));
}

TEST_F(ScannerSettings, ShiftGivesNothingSoShiftOneGivesOne)
{
    Feed feed;
    feed.assembler.addActiveScanner(kScannerA);
    feed.assembler.resolveDevices({{1, kScannerA, {}}});
    // The scanner reads a framed "!A11X!" and sends Shift+1 for each '!'.
    feed.play(recording(QStringLiteral("scanner-framed.events"), 1));
    EXPECT_EQ(feed.codes, QStringList{QStringLiteral("1A11X1")});

    EXPECT_TRUE(keyToChar(KEY_LEFTSHIFT).isNull());
    EXPECT_TRUE(keyToChar(KEY_KP1).isNull()) << "only the main block's digits";
    EXPECT_TRUE(keyToChar(KEY_MINUS).isNull());
    EXPECT_TRUE(keyToChar(0xFFFF).isNull()) << "beyond every key code";
    EXPECT_EQ(keyToChar(KEY_0), QLatin1Char('0'));
    EXPECT_EQ(keyToChar(KEY_V), QLatin1Char('V'));
}

TEST_F(ScannerSettings, KeysOfAnUnlinkedKeyboardPass)
{
    Feed feed;
    feed.assembler.addActiveScanner(kScannerA);
    feed.assembler.resolveDevices({{1, kScannerA, {}}, {3, kKeyboard, {}}});
    EXPECT_EQ(feed.play(recording(QStringLiteral("keyboard-hallo.events"), 3)), 0);
    EXPECT_EQ(feed.play(recording(QStringLiteral("scanner-a11x.events"), 0)), 0) << "handle 0 is no device";
    EXPECT_TRUE(feed.codes.isEmpty());

    // A linked scanner that is not plugged in has no handle: nothing of another device is taken for it.
    Feed absent;
    absent.assembler.addActiveScanner(kScannerB);
    absent.assembler.resolveDevices({{3, kKeyboard, {}}});
    EXPECT_EQ(absent.play(recording(QStringLiteral("keyboard-hallo.events"), 3)), 0);
}

TEST_F(ScannerSettings, ACompleteCodeGoesThroughTheProgramsDispatcher)
{
    auto seen = std::make_shared<QStringList>();
    barcodeDispatcher().AddBarcodeCallback([seen](const QString& code) {
        seen->append(code);
        return code.startsWith(QLatin1Char('T'));
    });
    TScanAssembler assembler; // no sink of its own: the program's dispatcher
    assembler.addActiveScanner(kScannerA);
    assembler.resolveDevices({{4, kScannerA, {}}});
    for (const TRawKeyEvent& e : recording(QStringLiteral("scanner-t-code.events"), 4))
        assembler.OnRawKeyMessage(e);
    EXPECT_EQ(*seen, QStringList{QStringLiteral("T5X11X1X8V")});
}

TEST_F(ScannerSettings, DetectModeTakesEveryKeyAndShowsItPerDevice)
{
    Feed feed;
    feed.assembler.addActiveScanner(kScannerA);
    feed.assembler.resolveDevices({{1, kScannerA, {}}, {3, kKeyboard, {}}});
    feed.assembler.nameOfDevice = [](quint32 handle) { return handle == 1 ? kScannerA : kKeyboard; };
    int detected = 0;
    int ended = 0;
    feed.assembler.onDetected = [&] { ++detected; };
    feed.assembler.onDetectEnded = [&] { ++ended; };
    feed.assembler.setDetectMode(true);

    const auto scanner = recording(QStringLiteral("scanner-a11x.events"), 1);
    const auto keyboard = recording(QStringLiteral("keyboard-hallo.events"), 3, 1);
    const auto both = merged(scanner, keyboard);
    EXPECT_EQ(feed.play(both), int(both.size()));
    EXPECT_TRUE(feed.codes.isEmpty()) << "a linked scanner's code is shown, not dispatched";
    ASSERT_EQ(feed.assembler.detectedInput().size(), 2u);
    EXPECT_EQ(feed.assembler.detectedInput()[0].name, kScannerA);
    EXPECT_EQ(feed.assembler.detectedInput()[0].text, QStringLiteral("A11X"));
    EXPECT_EQ(feed.assembler.detectedInput()[1].name, kKeyboard);
    EXPECT_EQ(feed.assembler.detectedInput()[1].text, QStringLiteral("HALLO"));
    EXPECT_GT(detected, 0);

    EXPECT_TRUE(feed.assembler.OnRawKeyMessage({3, KEY_ESC, 1, 500000}));
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(feed.assembler.detectMode());
    EXPECT_FALSE(feed.assembler.OnRawKeyMessage({3, KEY_A, 1, 500001})) << "the keyboard types again";
    feed.play(recording(QStringLiteral("scanner-a11x.events"), 1, 600000));
    EXPECT_EQ(feed.codes, QStringList{QStringLiteral("A11X")});
}

// ---- the links in the settings ----

TEST_F(ScannerSettings, AddingTheSameDeviceTwiceLeavesTheStoredLinksUnchanged)
{
    TScanAssembler assembler([](const QString&) {});
    ASSERT_TRUE(assembler.addActiveScanner(kScannerA));
    ASSERT_TRUE(assembler.addActiveScanner(kScannerB));
    const QByteArray before = settingsFile();
    EXPECT_TRUE(before.contains("Device0=" + kScannerA.toUtf8()));
    EXPECT_TRUE(before.contains("Device1=" + kScannerB.toUtf8()));
    EXPECT_FALSE(assembler.addActiveScanner(kScannerA));
    EXPECT_EQ(settingsFile(), before);
    EXPECT_EQ(names(assembler.registeredScanners()), (QStringList{kScannerA, kScannerB}));
}

TEST_F(ScannerSettings, RemovingTheFirstOfThreeLinksMovesTheThirdIntoItsPlace)
{
    TScanAssembler assembler([](const QString&) {});
    for (const QString& name : {kScannerA, kScannerB, kScannerC})
        assembler.addActiveScanner(name);
    ASSERT_TRUE(assembler.removeActiveScanner(kScannerA));
    EXPECT_FALSE(assembler.removeActiveScanner(kScannerA));
    EXPECT_EQ(names(assembler.registeredScanners()), (QStringList{kScannerC, kScannerB}));

    const QByteArray file = settingsFile();
    EXPECT_TRUE(file.contains("Device0=" + kScannerC.toUtf8())) << file.toStdString();
    EXPECT_TRUE(file.contains("Device1=" + kScannerB.toUtf8()));
    EXPECT_FALSE(file.contains("Device2"));

    TScanAssembler reloaded([](const QString&) {});
    reloaded.loadLinks();
    EXPECT_EQ(names(reloaded.registeredScanners()), (QStringList{kScannerC, kScannerB}));

    // Removing the last link just drops its key.
    ASSERT_TRUE(reloaded.removeActiveScanner(kScannerB));
    EXPECT_TRUE(settingsFile().contains("Device0=" + kScannerC.toUtf8()));
    EXPECT_FALSE(settingsFile().contains("Device1"));
}

TEST_F(ScannerSettings, ReadingTheLinksStopsAtTheFirstMissingOrEmptyKey)
{
    QFile f(AppPaths::commonAppDataFile(QStringLiteral("TVPsettings.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[InputDevices]\r\nDevice0=" + kScannerA.toUtf8() + "\r\nDevice1=\r\nDevice2=" + kScannerC.toUtf8() +
            "\r\n");
    f.close();
    TScanAssembler assembler([](const QString&) {});
    assembler.loadLinks();
    EXPECT_EQ(names(assembler.registeredScanners()), QStringList{kScannerA});

    assembler.resolveDevices({{9, kScannerA, {}}});
    EXPECT_EQ(assembler.registeredScanners()[0].status, TInputDeviceStatus::id_Connected);
    assembler.resolveDevices({});
    EXPECT_EQ(assembler.registeredScanners()[0].status, TInputDeviceStatus::id_notconnected);
    EXPECT_EQ(assembler.registeredScanners()[0].handle, 0u);
    EXPECT_EQ(inputDeviceStatusText(TInputDeviceStatus::id_notconnected), QStringLiteral("Nicht Verbunden"));
}

// ---- the scanner input over a device layer ----

class FakeInputLayer : public IInputDeviceLayer {
public:
    std::vector<TKeyboardDevice> devices;
    std::vector<TDeviceReading> reading;
    TInputAccess accessState = TInputAccess::Available;
    IInputDeviceEvents* events = nullptr;
    int enumerations = 0;

    void setEvents(IInputDeviceEvents* e) override { events = e; }
    std::vector<TKeyboardDevice> keyboards() override
    {
        ++enumerations;
        return devices;
    }
    void setReading(const std::vector<TDeviceReading>& r) override { reading = r; }
    TInputAccess access() const override { return accessState; }
    QString accessGroup() const override { return QStringLiteral("input"); }

    // Only devices being read deliver their keys, as with real devices.
    void replay(const std::vector<TRawKeyEvent>& keys)
    {
        for (const TRawKeyEvent& k : keys)
            if (isRead(k.device))
                events->keyEvent(k);
    }
    bool isRead(quint32 handle) const { return readingOf(handle) != nullptr; }
    bool isGrabbed(quint32 handle) const { return readingOf(handle) && readingOf(handle)->grab; }
    void plug(TKeyboardDevice device)
    {
        devices.push_back(std::move(device));
        events->devicesChanged();
    }
    void unplug(quint32 handle)
    {
        std::erase_if(devices, [&](const TKeyboardDevice& d) { return d.handle == handle; });
        events->devicesChanged();
    }

private:
    const TDeviceReading* readingOf(quint32 handle) const
    {
        const auto it = std::find_if(reading.begin(), reading.end(), [&](const auto& r) { return r.handle == handle; });
        return it == reading.end() ? nullptr : &*it;
    }
};

struct InputFixture {
    FakeInputLayer* layer = nullptr;
    QStringList codes;
    std::unique_ptr<TScannerInput> input;

    explicit InputFixture(std::vector<TKeyboardDevice> devices)
    {
        auto owned = std::make_unique<FakeInputLayer>();
        layer = owned.get();
        layer->devices = std::move(devices);
        input = std::make_unique<TScannerInput>(std::move(owned), [this](const QString& c) { codes.append(c); });
    }
};

TEST_F(ScannerSettings, OnlyLinkedScannersAreReadAndGrabbedDetectModeReadsAllWithoutGrab)
{
    InputFixture f({{1, kScannerA, QStringLiteral("Handscanner")}, {3, kKeyboard, QStringLiteral("Tastatur")}});
    f.input->start();
    EXPECT_TRUE(f.layer->reading.empty()) << "no link, no device is opened";

    ASSERT_TRUE(f.input->addActiveScanner(kScannerA));
    EXPECT_TRUE(f.layer->isGrabbed(1));
    EXPECT_FALSE(f.layer->isRead(3)) << "the keyboard is not listened to";
    f.layer->replay(recording(QStringLiteral("scanner-a11x.events"), 1));
    f.layer->replay(recording(QStringLiteral("keyboard-hallo.events"), 3));
    EXPECT_EQ(f.codes, QStringList{QStringLiteral("A11X")});

    f.input->setDetectMode(true);
    EXPECT_TRUE(f.layer->isGrabbed(1));
    EXPECT_TRUE(f.layer->isRead(3));
    EXPECT_FALSE(f.layer->isGrabbed(3)) << "detect mode never takes a keyboard away from the desktop";
    f.layer->replay(recording(QStringLiteral("keyboard-hallo.events"), 3));
    ASSERT_EQ(f.input->detectedInput().size(), 1u);
    EXPECT_EQ(f.input->detectedInput()[0].name, kKeyboard);

    bool ended = false;
    f.input->onDetectEnded = [&] { ended = true; };
    f.layer->replay({{3, KEY_ESC, 1, 900000}});
    EXPECT_TRUE(ended);
    EXPECT_FALSE(f.layer->isRead(3)) << "Esc ends detect mode and stops listening";
    EXPECT_TRUE(f.layer->isGrabbed(1));

    ASSERT_TRUE(f.input->removeActiveScanner(kScannerA));
    EXPECT_TRUE(f.layer->reading.empty());
}

TEST_F(ScannerSettings, AScannerPluggedInLaterIsPickedUpAndReleasedWhenUnplugged)
{
    {
        TScanAssembler links([](const QString&) {});
        links.addActiveScanner(kScannerB);
    }
    InputFixture f({{3, kKeyboard, {}}});
    int refreshed = 0;
    f.input->onListChanged = [&] { ++refreshed; };
    f.input->start();
    ASSERT_EQ(f.input->registeredScanners().size(), 1u);
    EXPECT_EQ(f.input->registeredScanners()[0].status, TInputDeviceStatus::id_notconnected);

    f.layer->plug({7, kScannerB, {}});
    EXPECT_EQ(f.input->registeredScanners()[0].status, TInputDeviceStatus::id_Connected);
    EXPECT_TRUE(f.layer->isGrabbed(7));
    f.layer->replay(recording(QStringLiteral("scanner-t-code.events"), 7));
    EXPECT_EQ(f.codes, QStringList{QStringLiteral("T5X11X1X8V")});

    f.layer->unplug(7);
    EXPECT_EQ(f.input->registeredScanners()[0].status, TInputDeviceStatus::id_notconnected);
    EXPECT_FALSE(f.layer->isRead(7));
    EXPECT_EQ(refreshed, 3);

    // Plugged into the same port again it is a new device instance with a new handle.
    f.layer->plug({8, kScannerB, {}});
    EXPECT_TRUE(f.layer->isGrabbed(8));
}

TEST_F(ScannerSettings, WithoutPermissionTheInputSaysWhichGroupToJoin)
{
    InputFixture f({{1, kScannerA, {}}});
    f.layer->accessState = TInputAccess::NoPermission;
    f.input->start();
    const QString text = f.input->accessText();
    EXPECT_TRUE(text.contains(QStringLiteral("\"input\""))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));

    f.layer->accessState = TInputAccess::Available;
    EXPECT_TRUE(f.input->accessText().isEmpty());

    // No device layer at all: scanners are unavailable, links still work.
    TScannerInput none(nullptr);
    none.start();
    EXPECT_EQ(none.access(), TInputAccess::Unavailable);
    EXPECT_FALSE(none.accessText().isEmpty());
    EXPECT_TRUE(none.addActiveScanner(kScannerA));
    EXPECT_EQ(none.registeredScanners()[0].status, TInputDeviceStatus::id_notconnected);
}

TEST(LinuxInputDevices, TheLinkKeyIsThePortPathWhenThereIsOne)
{
    const QString node = QStringLiteral("/dev/input/event7");
    const QString byId = QStringLiteral("/dev/input/by-id/usb-Datalogic_Handscanner-event-kbd");
    const QString byPath = QStringLiteral("/dev/input/by-path/pci-0000:00:14.0-usb-0:1:1.0-event-kbd");
    const QString byPathV2 = QStringLiteral("/dev/input/by-path/pci-0000:00:14.0-usbv2-0:1:1.0-event-kbd");
    EXPECT_EQ(chooseLinkKey({byId, byPathV2, byPath}, node), byPath);
    EXPECT_EQ(chooseLinkKey({byPath, byPathV2}, node), chooseLinkKey({byPathV2, byPath}, node)) << "order-free";
    EXPECT_EQ(chooseLinkKey({byId, QStringLiteral("/dev/other")}, node), byId);
    EXPECT_EQ(chooseLinkKey({}, node), node);
    EXPECT_EQ(groupOfNode(QStringLiteral("/nonexistent/event99")), QStringLiteral("input"));
}

} // namespace

// ---- the detection tree ----

namespace {

QStringList treeTexts(const QAbstractItemModel& model, const QModelIndex& parent = {}, const QString& indent = {})
{
    QStringList out;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex node = model.index(r, 0, parent);
        out << indent + node.data().toString();
        out << treeTexts(model, node, indent + u' ');
    }
    return out;
}

TEST(DetectedInputTree, WaitingThenDevicesWithWhatTheyTypedAndBackToEmpty)
{
    TDetectedInputModel model;
    tvp::test::ModelTesterGuard check(&model);
    EXPECT_EQ(model.rowCount(), 0);

    model.showWaiting();
    EXPECT_EQ(treeTexts(model), QStringList{TDetectedInputModel::kWaitingText});
    EXPECT_EQ(model.handle(model.index(0, 0)), 0u);

    model.setDetected(
        {{7, QStringLiteral("/dev/input/event7"), QStringLiteral("A1")}, {9, QStringLiteral("/dev/input/event9"), {}}});
    EXPECT_EQ(treeTexts(model),
              (QStringList{TDetectedInputModel::kDevicesText, QStringLiteral(" /dev/input/event7"),
                           QStringLiteral("  Erkannte Eingabe: A1"), QStringLiteral(" /dev/input/event9"),
                           QStringLiteral("  Erkannte Eingabe: ")}));
    const QModelIndex second = model.deviceIndex(9);
    ASSERT_TRUE(second.isValid());
    EXPECT_EQ(second.row(), 1);
    EXPECT_EQ(second.parent(), model.index(0, 0));
    EXPECT_EQ(model.handle(second), 9u);
    EXPECT_EQ(model.deviceName(second), QStringLiteral("/dev/input/event9"));
    const QModelIndex typed = model.index(0, 0, second);
    EXPECT_EQ(typed.parent(), second);
    EXPECT_EQ(model.handle(typed), 0u) << "a typed text is no device";
    EXPECT_TRUE(model.deviceName(typed).isEmpty());
    EXPECT_FALSE(model.deviceIndex(8).isValid());
    EXPECT_FALSE(model.deviceIndex(0).isValid());

    // A new detection round replaces the devices.
    model.setDetected({{9, QStringLiteral("/dev/input/event9"), QStringLiteral("B22")}});
    EXPECT_EQ(model.deviceIndex(9).row(), 0);
    EXPECT_EQ(model.index(0, 0, model.deviceIndex(9)).data().toString(), QStringLiteral("Erkannte Eingabe: B22"));

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
