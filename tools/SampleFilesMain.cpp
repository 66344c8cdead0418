// Writes the shipped sample competition types with their template files and documentation PDFs:
// the scoring trees are built in memory and go through the program's own template export, the
// PDFs are one page each, and every "@SHA1:<file>@" of tools/samples/*.qct.in becomes the digest
// of the file just written. Usage: tvp-sample-files <repository root>

#include "core/results/tvpTypes.h"
#include "scoring/AggregatorTreeModel.h"
#include "setup/CompetitionType.h"
#include "setup/TemplateFiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <cstdio>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

using namespace tvp;
using proto::ResultAssignmentType;
using proto::ResultValueType;
using proto::SquadAssignmentType;

namespace {

// Catalogue ids of the server's node templates.
constexpr int kSum = 2;
constexpr int kRank = 3;
constexpr int kPointsTable = 4;
constexpr int kTeamBestN = 5;

constexpr int kDisciplineId = 1;

struct Node {
    int id;
    int templateId;
    QStringList parameters;
    QString label;
    bool visAnalysis;
    bool visCertificate;
    std::vector<int> sources;
};

struct Discipline {
    const char* file; // without extension; also the PDF's name
    QString name;
    bool team;
    int attempts;
    ResultValueType resultType;
    ResultAssignmentType assignment;
    SquadAssignmentType squads;
    int heatSize;
    std::vector<Node> nodes; // sources before their consumers
    // Node id and the interface names it offers to overall scorings.
    std::vector<std::pair<int, QStringList>> interfaces;
    // Parameters that stay parameters: name and default value.
    std::vector<std::pair<QString, double>> parameters;
    QStringList documentation; // lines of the PDF after the title; none: no PDF
    // Counted results (hits, jumps) are points, not metres.
    TResultformat resultFormat = TResultformat::rf_Default;
};

struct Results {
    const char* file;
    std::vector<Node> nodes; // the first is the input, fed by the disciplines
    QString inputName;
    std::vector<std::pair<QString, double>> parameters;
};

proto::AggregatorTreeNodeType treeOf(int id, const std::vector<Node>& nodes)
{
    proto::AggregatorTreeNodeType record;
    record.ID = id;
    for (const Node& n : nodes) {
        if (n.id != id)
            continue;
        proto::ResultAggregatorInstanceType& info = record.AggregatorInfo.ensure();
        info.ID = n.id;
        info.TemplateID = n.templateId;
        info.ConnectedAggregators = n.sources;
        for (const QString& p : n.parameters)
            info.Parameters.push_back(p);
    }
    for (const Node& n : nodes)
        if (std::find(n.sources.begin(), n.sources.end(), id) != n.sources.end())
            record.OutputConnections.push_back(treeOf(n.id, nodes));
    return record;
}

proto::UiInfoKeyValuePair uiInfo(const QString& key, int id, const QString& value)
{
    proto::UiInfoKeyValuePair p;
    p.Key = makeUiInfoKey(key, id);
    p.Value = value;
    return p;
}

std::unique_ptr<TAggregatorTreeModel> treeModel(const std::vector<Node>& nodes, const TDisciplineInfo& disc)
{
    auto model = std::make_unique<TAggregatorTreeModel>(
        std::vector{treeOf(kDisciplineId, nodes)}, std::vector<int>{kDisciplineId}, [](int) { return nullptr; }, &disc);
    std::vector<proto::UiInfoKeyValuePair> infos{uiInfo(uiInfoKeys::Label, kDisciplineId, disc.name)};
    for (const Node& n : nodes) {
        infos.push_back(uiInfo(uiInfoKeys::Label, n.id, n.label));
        if (n.visAnalysis)
            infos.push_back(uiInfo(uiInfoKeys::ResAggVisAnalysis, n.id, QStringLiteral("true")));
        if (n.visCertificate)
            infos.push_back(uiInfo(uiInfoKeys::ResAggVisCertificate, n.id, QStringLiteral("true")));
    }
    (void)model->setLabelsToAggTree(infos, 0);
    return model;
}

std::vector<TExportParameterRow> parameterRows(const std::vector<std::pair<QString, double>>& parameters)
{
    std::vector<TExportParameterRow> rows;
    for (const auto& [name, value] : parameters)
        rows.push_back({true, name, QLocale().toString(value, 'g', 15), name});
    return rows;
}

QByteArray disciplineTemplate(const Discipline& d)
{
    TDisciplineInfo info;
    info.id = kDisciplineId;
    info.name = d.name;
    info.isTeam = d.team;
    info.attempts = d.attempts;
    info.assignmentType = d.assignment;
    info.resultType = d.resultType;
    info.resultFormat = d.resultFormat;
    info.squadAssignment = d.squads;
    info.maxParticipantsPerHeat = d.heatSize;
    const auto model = treeModel(d.nodes, info);
    std::vector<TDiscInterfaceNode> interfaces;
    for (const auto& [id, names] : d.interfaces) {
        TDiscInterfaceNode node{id, {}};
        for (const QString& name : names)
            node.interfaces.push_back({name, 0});
        interfaces.push_back(node);
    }
    return discTemplateExport(*model, d.name, parameterRows(d.parameters), interfaces, QString())->document;
}

QByteArray resultsTemplate(const Results& r)
{
    const TDisciplineInfo none;
    const auto model = treeModel(r.nodes, none);
    std::vector<const TUiAggregator*> all;
    for (const Node& n : r.nodes)
        all.push_back(model->findAggregatorById(n.id));
    return resultsTemplateExport({{all.front(), r.inputName}}, all, 0, parameterRows(r.parameters), QString())
        ->document;
}

// A text line in the base font; the text is shown in Windows-1252 (WinAnsiEncoding).
QByteArray pdfText(const QString& text)
{
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '(' || u == ')' || u == '\\')
            out += '\\';
        out += u < 256 ? char(u) : '?';
    }
    return out;
}

// One A4 page: the title large, the lines below it. Written with a digest-based ID, so the same
// text gives the same bytes.
QByteArray documentationPdf(const QString& title, const QStringList& lines)
{
    QByteArray content = "BT /F1 24 Tf 56 760 Td (" + pdfText(title) + ") Tj ET\n";
    int y = 720;
    for (const QString& line : lines) {
        content += "BT /F1 12 Tf 56 " + QByteArray::number(y) + " Td (" + pdfText(line) + ") Tj ET\n";
        y -= 18;
    }
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle font = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F1", font);
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    QPDFObjectHandle page =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content.toStdString()));
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setDeterministicID(true);
    writer.write();
    const auto buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
}

// ---- the samples --------------------------------------------------------------------------------

// An athlete discipline scored by a points table, whose team points feed the overall scorings.
Discipline teamMultiEvent(const char* file, const QString& name, ResultValueType type, int attempts,
                          ResultAssignmentType assignment, double factor, double base, QStringList documentation)
{
    const QString baseName = name + QStringLiteral("-Basis");
    return {file,
            name,
            false,
            attempts,
            type,
            assignment,
            SquadAssignmentType::teamGrouped,
            0,
            {{2,
              kPointsTable,
              {QString::number(factor), baseName, QStringLiteral("1")},
              name + QStringLiteral(": Punkte"),
              true,
              true,
              {kDisciplineId}},
             {3, kTeamBestN, {QStringLiteral("Beste N")}, name + QStringLiteral(": Teampunkte"), true, false, {2}}},
            {{3, {QStringLiteral("Mannschaftswertung"), QStringLiteral("Disziplinwertung")}}},
            {{baseName, base}, {QStringLiteral("Beste N"), 5}},
            std::move(documentation)};
}

std::vector<Discipline> disciplines()
{
    using RA = ResultAssignmentType;
    std::vector<Discipline> all{
        teamMultiEvent("Sprint", QStringLiteral("Sprint"), ResultValueType::Time, 2, RA::byLane, 10, 9.5,
                       {QStringLiteral("Station: 30-m-Sprint aus dem Hochstart."),
                        QStringLiteral("Zwei Läufe je Kind, der bessere zählt."),
                        QStringLiteral("Punkte: 10 je Sekunde unter der Basiszeit der Altersklasse.")}),
        teamMultiEvent("Weitsprung", QStringLiteral("Weitsprung"), ResultValueType::Distance, 3, RA::byAthleteOrTeam,
                       50, 1.5,
                       {QStringLiteral("Station: Weitsprung aus der Zone in die Sandgrube."),
                        QStringLiteral("Drei Versuche je Kind, der weiteste zählt."),
                        QStringLiteral("Punkte: 50 je Meter über 1,50 m.")}),
        teamMultiEvent("Ballwurf", QStringLiteral("Ballwurf"), ResultValueType::Distance, 3, RA::byAthleteOrTeam, 5, 5,
                       {QStringLiteral("Station: Schlagballwurf aus dem Anlauf."),
                        QStringLiteral("Drei Versuche je Kind, der weiteste zählt."),
                        QStringLiteral("Punkte: 5 je Meter über 5 m.")}),
        teamMultiEvent("Drehwurf", QStringLiteral("Drehwurf"), ResultValueType::Distance, 3, RA::byAthleteOrTeam, 4, 5,
                       {QStringLiteral("Station: Wurf mit dem Tennisring aus der Drehung."),
                        QStringLiteral("Drei Versuche je Kind, der weiteste zählt."),
                        QStringLiteral("Punkte: 4 je Meter über 5 m.")}),
    };
    all.push_back({"Staffel",
                   QStringLiteral("Staffel"),
                   true,
                   1,
                   ResultValueType::Time,
                   ResultAssignmentType::byAthleteOrTeam,
                   SquadAssignmentType::teamGrouped,
                   0,
                   {{2,
                     kPointsTable,
                     {QStringLiteral("5"), QStringLiteral("Staffel-Basis"), QStringLiteral("1")},
                     QStringLiteral("Staffel: Punkte"),
                     true,
                     true,
                     {kDisciplineId}}},
                   {{2, {QStringLiteral("Mannschaftswertung"), QStringLiteral("Disziplinwertung")}}},
                   {{QStringLiteral("Staffel-Basis"), 90}},
                   {QStringLiteral("Station: Pendelstaffel über 6 x 50 m."),
                    QStringLiteral("Eine Zeit je Team; jedes Kind läuft einmal."),
                    QStringLiteral("Punkte: 5 je Sekunde unter der Basiszeit.")}});

    // The sports festival: stations on points tables, scored by the team's best N in an overall scoring.
    const auto station = [](const char* file, const QString& name, ResultValueType type, TResultformat format,
                            const QString& factor, const QString& base,
                            std::vector<std::pair<QString, double>> parameters) {
        return Discipline{file,
                          name,
                          false,
                          2,
                          type,
                          ResultAssignmentType::byAthleteOrTeam,
                          SquadAssignmentType::teamDistributed,
                          0,
                          {{2,
                            kPointsTable,
                            {factor, base, QStringLiteral("1")},
                            name + QStringLiteral(": Punkte"),
                            true,
                            true,
                            {kDisciplineId}}},
                          {{2, {QStringLiteral("Teamwertung")}}},
                          std::move(parameters),
                          {},
                          format};
    };
    all.push_back(station("Zielwurf", QStringLiteral("Zielwurf"), ResultValueType::Distance, TResultformat::rf_Points,
                          QStringLiteral("Punkte je Treffer"), QStringLiteral("0"),
                          {{QStringLiteral("Punkte je Treffer"), 10}}));
    all.push_back(station("Seilspringen", QStringLiteral("Seilspringen"), ResultValueType::Distance,
                          TResultformat::rf_Points, QStringLiteral("Punkte je Sprung"), QStringLiteral("0"),
                          {{QStringLiteral("Punkte je Sprung"), 2}}));
    all.push_back(station("Sternlauf", QStringLiteral("Sternlauf"), ResultValueType::Time, TResultformat::rf_Default,
                          QStringLiteral("10"), QStringLiteral("Sternlauf-Basis"),
                          {{QStringLiteral("Sternlauf-Basis"), 60}}));
    return all;
}

std::vector<Results> results()
{
    return {
        {"Mannschaftswertung",
         {{2, kSum, {QStringLiteral("0")}, QStringLiteral("Mannschaftspunkte"), true, false, {kDisciplineId}},
          {3, kRank, {QStringLiteral("0")}, QStringLiteral("Platz Mannschaftswertung"), true, true, {2}}},
         QStringLiteral("Mannschaftswertung"),
         {}},
        {"Disziplinwertung",
         {{2, kRank, {QStringLiteral("0")}, QStringLiteral("Disziplinwertung"), true, true, {kDisciplineId}}},
         QStringLiteral("Disziplinwertung"),
         {}},
        {"Stationen-Teamwertung",
         {{2, kTeamBestN, {QStringLiteral("Beste N")}, QStringLiteral("Teampunkte"), true, false, {kDisciplineId}},
          {3, kRank, {QStringLiteral("0")}, QStringLiteral("Platz Teamwertung"), true, true, {2}}},
         QStringLiteral("Teamwertung"),
         {{QStringLiteral("Beste N"), 4}}},
    };
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    try {
        saveTemplateFile(path, bytes);
        std::printf("%s %s\n", qPrintable(secureHashOf(bytes)), qPrintable(path));
        return true;
    } catch (const TvpError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return false;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <repository root>\n", argv[0]);
        return 2;
    }
    // Parameter values are read in the program's German number format.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QString templates = root.filePath(QStringLiteral("Templates"));
    std::map<QString, QString> hashes; // file name -> digest
    bool ok = true;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        ok = writeFile(templates + QLatin1Char('/') + name, bytes) && ok;
        hashes[name] = secureHashOf(bytes);
    };
    try {
        for (const Discipline& d : disciplines()) {
            write(QString::fromLatin1(d.file) + QStringLiteral(".qdt"), disciplineTemplate(d));
            if (!d.documentation.isEmpty())
                write(QString::fromLatin1(d.file) + QStringLiteral(".pdf"), documentationPdf(d.name, d.documentation));
        }
        for (const Results& r : results())
            write(QString::fromLatin1(r.file) + QStringLiteral(".qrt"), resultsTemplate(r));
    } catch (const TvpError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }

    const QDir sources(root.filePath(QStringLiteral("tools/samples")));
    static const QRegularExpression placeholder(QStringLiteral("@SHA1:([^@]+)@"));
    for (const QString& in : sources.entryList({QStringLiteral("*.qct.in")}, QDir::Files, QDir::Name)) {
        QFile f(sources.filePath(in));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s cannot be read\n", qPrintable(f.fileName()));
            return 1;
        }
        QString text = QString::fromUtf8(f.readAll());
        QString out;
        qsizetype last = 0;
        for (const QRegularExpressionMatch& m : placeholder.globalMatch(text)) {
            const auto hash = hashes.find(m.captured(1));
            if (hash == hashes.end()) {
                std::fprintf(stderr, "%s names %s, which is not written here\n", qPrintable(in),
                             qPrintable(m.captured(1)));
                return 1;
            }
            out += text.mid(last, m.capturedStart() - last) + hash->second;
            last = m.capturedEnd();
        }
        out += text.mid(last);
        ok = writeFile(root.filePath(QStringLiteral("CompetitionTypes/") + in.chopped(3)), out.toUtf8()) && ok;
    }
    return ok ? 0 : 1;
}
