#include "core/util/IniHandler.h"

#include "core/util/AppPaths.h"
#include "core/util/FileWrite.h"
#include "core/util/Logger.h"
#include "core/util/UncaughtErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <mutex>
#include <optional>

namespace tvp {

namespace {

const QString kSettingsFile = QStringLiteral("TVPsettings.ini");
const QString kShippedSettings = QStringLiteral("options.ini");

// Within the process one access at a time: a write reads, changes and replaces the whole file.
std::mutex iniMutex;

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QString> sectionName(const QByteArray& raw)
{
    const QString line = QString::fromUtf8(raw).trimmed();
    if (!line.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = line.indexOf(u']');
    return line.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

struct KeyValue {
    QString key;
    QString value;
};

// Comments, section headers and lines without "key=" are no entries.
std::optional<KeyValue> keyValue(const QByteArray& raw)
{
    const QString line = QString::fromUtf8(raw).trimmed();
    if (line.startsWith(u';') || line.startsWith(u'['))
        return std::nullopt;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    KeyValue kv{line.left(eq).trimmed(), line.mid(eq + 1).trimmed()};
    if (kv.key.isEmpty())
        return std::nullopt;
    // Windows hands out a quoted value without its quotes.
    const QString& v = kv.value;
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        kv.value = v.mid(1, v.size() - 2);
    return kv;
}

// The file as raw lines, so that everything a change does not touch is written back byte for byte.
class IniLines {
public:
    // False when the file exists but cannot be read: writing it back would lose its content.
    bool load(const QString& path)
    {
        QFile file(path);
        if (!file.exists())
            return true;
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QByteArray data = file.readAll();
        if (data.startsWith("\xEF\xBB\xBF")) {
            bom_ = data.left(3);
            data.remove(0, 3);
        }
        lines_ = data.split('\n');
        if (lines_.back().isEmpty())
            lines_.removeLast();
        for (QByteArray& line : lines_) {
            if (line.endsWith('\r'))
                line.chop(1);
        }
        return true;
    }

    // Whole or not at all; an error text when it failed.
    QString save(const QString& path) const
    {
        QString error;
        writeFileWhole(
            path,
            [this](QIODevice& out) {
                bool ok = out.write(bom_) == bom_.size();
                for (const QByteArray& line : lines_)
                    ok = ok && out.write(line) == line.size() && out.write("\r\n", 2) == 2;
                return ok;
            },
            &error);
        return error;
    }

    std::optional<QString> value(const QString& section, const QString& key) const
    {
        const auto range = findSection(section);
        if (!range)
            return std::nullopt;
        for (qsizetype i = range->first; i < range->end; ++i) {
            const auto kv = keyValue(lines_[i]);
            if (kv && sameName(kv->key, key))
                return kv->value;
        }
        return std::nullopt;
    }

    void setValue(const QString& section, const QString& key, const QString& value)
    {
        const auto range = findSection(section);
        if (!range) {
            lines_.append('[' + section.toUtf8() + ']');
            lines_.append(key.toUtf8() + '=' + value.toUtf8());
            return;
        }
        qsizetype insertAt = range->first;
        for (qsizetype i = range->first; i < range->end; ++i) {
            const auto kv = keyValue(lines_[i]);
            if (kv && sameName(kv->key, key)) {
                lines_[i] = kv->key.toUtf8() + '=' + value.toUtf8();
                return;
            }
            // After the section's last content, before the blank lines that separate it from the next.
            if (!lines_[i].trimmed().isEmpty())
                insertAt = i + 1;
        }
        lines_.insert(insertAt, key.toUtf8() + '=' + value.toUtf8());
    }

    // All keys of the section when key is empty. Returns whether anything was removed.
    bool remove(const QString& section, const QString& key)
    {
        const auto range = findSection(section);
        if (!range)
            return false;
        bool removed = false;
        for (qsizetype i = range->end - 1; i >= range->first; --i) {
            const auto kv = keyValue(lines_[i]);
            if (kv && (key.isEmpty() || sameName(kv->key, key))) {
                lines_.removeAt(i);
                removed = true;
            }
        }
        return removed;
    }

private:
    // The lines after the header up to the next header.
    struct Range {
        qsizetype first;
        qsizetype end;
    };

    std::optional<Range> findSection(const QString& section) const
    {
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            const auto name = sectionName(lines_[i]);
            if (!name || !sameName(*name, section))
                continue;
            qsizetype end = i + 1;
            while (end < lines_.size() && !sectionName(lines_[end]))
                ++end;
            return Range{i + 1, end};
        }
        return std::nullopt;
    }

    QByteArray bom_;
    QList<QByteArray> lines_;
};

// The settings file in the settings folder, which is created when missing. A missing file is
// seeded from the settings an earlier version kept beside the program, else from the shipped
// options.ini, else created empty. Empty when there is no settings folder at all.
QString settingsFilePath()
{
    const QString path = AppPaths::commonAppDataFile(kSettingsFile);
    if (path.isEmpty() || !AppPaths::ensureCommonAppDataDir() || QFileInfo::exists(path))
        return path;
    for (const QString& seed : {AppPaths::programFile(kSettingsFile), AppPaths::programFile(kShippedSettings)}) {
        // QFile::copy goes through a temporary file and refuses an existing target, as wanted.
        if (QFileInfo(seed).isFile() && QFile::copy(seed, path)) {
            // The shipped file may be read-only.
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOwner | QFile::WriteOwner);
            return path;
        }
    }
    QFile empty(path);
    empty.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    return path;
}

std::optional<QString> readValue(const QString& section, const QString& key)
{
    std::lock_guard lock(iniMutex);
    IniLines ini;
    ini.load(settingsFilePath());
    return ini.value(section, key);
}

// The last failure the user was told about; told again only after a write succeeded.
QString& lastReportedFailure()
{
    static QString text;
    return text;
}

// Reads the file, applies the change and writes it back if the change reports one. A failure is
// reported once (never while holding the lock: the reporter may read settings itself).
template <class Change>
void modify(Change change)
{
    QString failure;
    {
        std::lock_guard lock(iniMutex);
        const QString path = settingsFilePath();
        IniLines ini;
        if (path.isEmpty() || !QFileInfo(path).dir().exists())
            failure = QStringLiteral("Der Einstellungsordner \"%1\" konnte nicht angelegt werden.")
                          .arg(AppPaths::commonAppDataDir());
        else if (!ini.load(path))
            failure = QStringLiteral("Die Datei \"%1\" ist nicht lesbar.").arg(path);
        else if (change(ini))
            failure = ini.save(path);
        if (failure.isEmpty()) {
            lastReportedFailure().clear();
            return;
        }
        if (failure == lastReportedFailure())
            return;
        lastReportedFailure() = failure;
    }
    const QString text = QStringLiteral("Die Einstellungen konnten nicht gespeichert werden. ") + failure;
    TVP_LOGGER().log(TLogLevel::ll_warning, text);
    reportUncaught(text);
}

} // namespace

void ReadIniStr(const QString& section, const QString& key, const QString& defaultValue, QString& value)
{
    value = readValue(section, key).value_or(defaultValue);
}

void WriteIniStr(const QString& section, const QString& key, const QString& value)
{
    // A line break inside a value (a pasted address) would start keys or sections of its own.
    QString oneLine = value;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String(" "));
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    modify([&](IniLines& ini) {
        ini.setValue(section, key, oneLine);
        return true;
    });
}

int ReadIniInteger(const QString& section, const QString& key, int defaultValue)
{
    const auto text = readValue(section, key);
    if (!text)
        return defaultValue;
    bool ok = false;
    const int value = text->toInt(&ok, 10);
    return ok ? value : defaultValue;
}

void WriteIniInteger(const QString& section, const QString& key, int value)
{
    WriteIniStr(section, key, QString::number(value));
}

void RemoveIniItem(const QString& section, const QString& key)
{
    if (key.isEmpty())
        return;
    modify([&](IniLines& ini) { return ini.remove(section, key); });
}

void ResetIniSection(const QString& section)
{
    modify([&](IniLines& ini) { return ini.remove(section, QString()); });
}

void getOptionsIniFilePath(QString& path)
{
    std::lock_guard lock(iniMutex);
    path = settingsFilePath();
}

} // namespace tvp
