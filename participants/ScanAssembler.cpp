#include "participants/ScanAssembler.h"

#include "core/barcode/BarcodeDispatcher.h"
#include "core/util/IniHandler.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>

namespace tvp {

namespace {

QString deviceKey(int index)
{
    return QStringLiteral("Device") + QString::number(index);
}

// The main block's digit and letter keys by key code; the codes are positions, not characters,
// and the layouts scanners are set to (US and German) agree on every digit and on 'A' to 'X'.
constexpr std::array<std::pair<quint16, char>, 36> kKeyChars{{
    {KEY_0, '0'}, {KEY_1, '1'}, {KEY_2, '2'}, {KEY_3, '3'}, {KEY_4, '4'}, {KEY_5, '5'}, {KEY_6, '6'}, {KEY_7, '7'},
    {KEY_8, '8'}, {KEY_9, '9'}, {KEY_A, 'A'}, {KEY_B, 'B'}, {KEY_C, 'C'}, {KEY_D, 'D'}, {KEY_E, 'E'}, {KEY_F, 'F'},
    {KEY_G, 'G'}, {KEY_H, 'H'}, {KEY_I, 'I'}, {KEY_J, 'J'}, {KEY_K, 'K'}, {KEY_L, 'L'}, {KEY_M, 'M'}, {KEY_N, 'N'},
    {KEY_O, 'O'}, {KEY_P, 'P'}, {KEY_Q, 'Q'}, {KEY_R, 'R'}, {KEY_S, 'S'}, {KEY_T, 'T'}, {KEY_U, 'U'}, {KEY_V, 'V'},
    {KEY_W, 'W'}, {KEY_X, 'X'}, {KEY_Y, 'Y'}, {KEY_Z, 'Z'},
}};

constexpr std::array<char, KEY_MAX + 1> makeKeyTable()
{
    std::array<char, KEY_MAX + 1> table{};
    for (const auto& [code, c] : kKeyChars)
        table[code] = c;
    return table;
}

constexpr auto kKeyTable = makeKeyTable();

bool isKeyDown(const TRawKeyEvent& event)
{
    // Auto-repeat arrives as key-down, as with the keyboard messages of other systems.
    return event.value == 1 || event.value == 2;
}

} // namespace

QString inputDeviceStatusText(TInputDeviceStatus status)
{
    return status == TInputDeviceStatus::id_Connected ? QStringLiteral("Verbunden") : QStringLiteral("Nicht Verbunden");
}

QChar keyToChar(quint16 code)
{
    return code < kKeyTable.size() && kKeyTable[code] ? QChar(QLatin1Char(kKeyTable[code])) : QChar();
}

TScanAssembler::TScanAssembler(TCodeSink sink) : sink_(std::move(sink))
{
}

void TScanAssembler::loadLinks()
{
    std::lock_guard guard(BarcodeInputCS);
    scanners_.clear();
    for (int i = 0;; ++i) {
        QString name;
        ReadIniStr(kSettingsSection, deviceKey(i), QString(), name);
        if (name.isEmpty())
            break;
        TScanner scanner;
        scanner.name = name;
        scanners_.push_back(std::move(scanner));
    }
}

bool TScanAssembler::addActiveScanner(const QString& name)
{
    std::lock_guard guard(BarcodeInputCS);
    if (name.isEmpty() || indexOfName(name) >= 0)
        return false;
    TScanner scanner;
    scanner.name = name;
    scanners_.push_back(std::move(scanner));
    WriteIniStr(kSettingsSection, deviceKey(int(scanners_.size()) - 1), name);
    return true;
}

bool TScanAssembler::removeActiveScanner(const QString& name)
{
    std::lock_guard guard(BarcodeInputCS);
    const int index = indexOfName(name);
    if (index < 0)
        return false;
    const int last = int(scanners_.size()) - 1;
    QString lastName;
    ReadIniStr(kSettingsSection, deviceKey(last), QString(), lastName);
    RemoveIniItem(kSettingsSection, deviceKey(last));
    if (index != last)
        WriteIniStr(kSettingsSection, deviceKey(index), lastName);
    scanners_[std::size_t(index)] = std::move(scanners_[std::size_t(last)]);
    scanners_.pop_back();
    return true;
}

bool TScanAssembler::isLinked(const QString& name) const
{
    std::lock_guard guard(BarcodeInputCS);
    return indexOfName(name) >= 0;
}

void TScanAssembler::resolveDevices(const std::vector<TKeyboardDevice>& keyboards)
{
    std::lock_guard guard(BarcodeInputCS);
    for (TScanner& scanner : scanners_) {
        scanner.handle = 0;
        for (const TKeyboardDevice& keyboard : keyboards) {
            if (keyboard.name == scanner.name) {
                scanner.handle = keyboard.handle;
                break;
            }
        }
        scanner.status = scanner.handle != 0 ? TInputDeviceStatus::id_Connected : TInputDeviceStatus::id_notconnected;
    }
}

void TScanAssembler::setDetectMode(bool on)
{
    std::lock_guard guard(BarcodeInputCS);
    detectMode_ = on;
    detected_.clear();
}

bool TScanAssembler::OnRawKeyMessage(const TRawKeyEvent& event)
{
    if (event.device == 0)
        return false;
    std::lock_guard guard(BarcodeInputCS);
    if (detectMode_) {
        if (isKeyDown(event))
            detectKey(event);
        return true;
    }
    const int index = indexOfHandle(event.device);
    if (index < 0)
        return false;
    if (!isKeyDown(event))
        return true;
    TScanner& scanner = scanners_[std::size_t(index)];
    if (event.code == KEY_ENTER || event.code == KEY_KPENTER) {
        const QString code = scanner.buffer;
        scanner.buffer.clear();
        doNotifyCode(code);
        return true;
    }
    if (event.timeMs - scanner.timestamp > kCodeGapMs)
        scanner.buffer.clear();
    if (const QChar c = keyToChar(event.code); !c.isNull())
        scanner.buffer.append(c);
    scanner.timestamp = event.timeMs;
    return true;
}

void TScanAssembler::detectKey(const TRawKeyEvent& event)
{
    if (event.code == KEY_ESC) {
        detectMode_ = false;
        detected_.clear();
        if (onDetectEnded)
            onDetectEnded();
        return;
    }
    const QChar c = keyToChar(event.code);
    auto it = std::find_if(detected_.begin(), detected_.end(),
                           [&](const TDetectedInput& d) { return d.handle == event.device; });
    if (it == detected_.end()) {
        TDetectedInput input;
        input.handle = event.device;
        input.name = nameOfDevice ? nameOfDevice(event.device) : QString();
        detected_.push_back(std::move(input));
        it = detected_.end() - 1;
    }
    if (!c.isNull())
        it->text.append(c);
    if (onDetected)
        onDetected();
}

void TScanAssembler::doNotifyCode(const QString& code)
{
    if (code.isEmpty())
        return;
    if (sink_)
        sink_(code);
    else
        barcodeDispatcher().processBarcode(code);
}

int TScanAssembler::indexOfHandle(quint32 handle) const
{
    for (std::size_t i = 0; i < scanners_.size(); ++i)
        if (scanners_[i].handle == handle)
            return int(i);
    return -1;
}

int TScanAssembler::indexOfName(const QString& name) const
{
    for (std::size_t i = 0; i < scanners_.size(); ++i)
        if (scanners_[i].name == name)
            return int(i);
    return -1;
}

} // namespace tvp
