#pragma once
// The one-byte code pages of files other programs read: Windows-1252 (the log, CSV exports and the
// Word documents' data files) and code page 850 (the timing program's exchange files).

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace tvp {

// The words of a file's texts that its code page could not hold as stored, each beside what the
// file holds instead, gathered while the file is written so the user hears of them once.
class TRespelledNames {
public:
    struct Change {
        QString stored;
        QString written; // "?" for each character without a plain letter
    };

    void add(const QString& stored, const QString& written);
    void add(const TRespelledNames& other);
    bool isEmpty() const { return changes_.isEmpty(); }
    const QList<Change>& changes() const { return changes_; }
    // The German warning naming the file, the code page and each changed word once:
    // "Yılmaz → Yilmaz".
    QString warning(const QString& fileName, const QString& codePageName) const;

private:
    QList<Change> changes_;
    QSet<QString> seen_;
};

// Text in a one-byte code page of iconv ("WINDOWS-1252", "CP850"), composed first ("u" + U+0308
// is "ü"). A character the code page has keeps its byte; another one becomes its plain Latin
// letter where there is one (ı → i, Ł → L, ș → s), else "?". With respelled, every word that reads
// back otherwise is noted there.
QByteArray toCodePage(const char* codePage, const QString& text, TRespelledNames* respelled = nullptr);

QByteArray toWindows1252(const QString& text, TRespelledNames* respelled = nullptr);
QString fromWindows1252(const QByteArray& bytes);

inline const QString kWindows1252Name = QStringLiteral("Windows-1252");

} // namespace tvp
