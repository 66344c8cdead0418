#include "scoring/HtmlPublication.h"

#include "scoring/DataViewTable.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <vector>

namespace tvp {

QString htmlEscape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'&': out += QLatin1String("&amp;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u'\\': out += QLatin1String("&#92;"); break;
        default:
            if (u >= 0xA0 && u <= 0xFF)
                out += QLatin1String("&#") + QString::number(u) + u';';
            else
                out += c;
        }
    }
    return out;
}

QString htmlPublicationName(const QString& compilationName)
{
    QString name = compilationName;
    name.remove(QStringLiteral("Urkunden/"), Qt::CaseInsensitive);
    return name;
}

std::optional<QString> readResultListCss(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QString css;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    // Blanks and control characters at both ends of each line go.
    static const QRegularExpression edges(QStringLiteral("^[\\x00-\\x20]+|[\\x00-\\x20]+$"));
    while (!in.atEnd()) {
        QString line = in.readLine();
        css += line.remove(edges);
    }
    return css;
}

namespace {

class TPageHead {
public:
    explicit TPageHead(int columns) : groupStart(std::size_t(std::max(columns, 0)), false) {}

    void plainColumn(const QString& title)
    {
        lower += QStringLiteral("<th class=\"preCol\">") + htmlEscape(title) + QStringLiteral("</th>");
        upper += QStringLiteral("<th class=\"preCol\"></th>");
    }

    void resultColumn(int column, const TAggInfo& agg)
    {
        const QString group = agg.multidisc ? QStringLiteral("Gesamtwertung") : agg.DiscNames;
        if (column == kCompetitionAggStartCol)
            groupStart[std::size_t(column)] = true;
        if (open_ && group == group_) {
            ++span_;
        } else {
            if (open_) {
                separator_ = QStringLiteral(" verticalSeparator");
                groupStart[std::size_t(column)] = true;
                closeGroup();
                even_ = !even_;
            }
            group_ = group;
            span_ = 1;
            open_ = true;
        }
        lower += QStringLiteral("<th class=\"resultCol ") + separator_ + u' ' + columnClass() +
                 QStringLiteral("\"><p>") + htmlEscape(agg.aggName) + QStringLiteral("</p></th>");
        separator_.clear();
    }

    void finish()
    {
        if (open_)
            closeGroup();
        open_ = false;
    }

    QString upper, lower;
    std::vector<bool> groupStart;

private:
    QString columnClass() const { return even_ ? QStringLiteral("evenCol") : QStringLiteral("oddCol"); }
    void closeGroup()
    {
        upper += QStringLiteral("<th class=\"upperCol verticalSeparator ") + columnClass() +
                 QStringLiteral("\" colspan=\"") + QString::number(span_) + QStringLiteral("\">") + htmlEscape(group_) +
                 QStringLiteral("</th>");
    }

    QString group_;
    int span_ = 1;
    bool open_ = false;
    bool even_ = false;
    QString separator_ = QStringLiteral(" verticalSeparator");
};

} // namespace

QByteArray generateHTML(const TDataViewModel& model, const THtmlPageInput& input)
{
    const QString title =
        htmlEscape(input.competitionName + QStringLiteral(" - ") + htmlPublicationName(input.compilationName));
    QString page;
    page.reserve(256 + model.rowCount() * 64);
    page += QStringLiteral("<!DOCTYPE html><html lang=\"DE\"><head><meta charset=\"utf-8\"/>"
                           "<meta name=\"application-name\" content=\"Trivanta Pentrel\"/><title>") +
            title + QStringLiteral("</title><style>") + input.stylesheet + QStringLiteral("</style></head><body><h1>") +
            title + QStringLiteral("</h1>");
    if (input.competitionDate && input.competitionDate->isValid())
        page += QStringLiteral("<h3>Veranstaltungsdatum: ") +
                input.competitionDate->toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral("</h3>");
    if (!input.location.isEmpty())
        page += QStringLiteral("<h3>Veranstaltungsort: ") + htmlEscape(input.location) + QStringLiteral("</h3>");
    page += QStringLiteral("<div id=\"resultContent\"><table class=\"resultTable\">");

    const auto& columns = model.columns();
    const int published = std::min(input.additionalColsStartIndex, int(columns.size()));
    TPageHead head(int(columns.size()));
    for (int c = 0; c < published; ++c) {
        const TDataViewColumn& col = columns[std::size_t(c)];
        if (col.agg)
            head.resultColumn(c, *col.agg);
        else
            head.plainColumn(col.title);
    }
    head.finish();
    page += QStringLiteral("<tr>") + head.upper + QStringLiteral("</tr><tr>") + head.lower + QStringLiteral("</tr>");

    for (int r = 0; r < model.rowCount(); ++r) {
        page += r % 2 == 0 ? QStringLiteral("<tr class=\"oddRow\">") : QStringLiteral("<tr class=\"evenRow\">");
        page += QStringLiteral("<td>") + htmlEscape(model.text(r, 0)) + QStringLiteral("</td>");
        for (int c = 1; c < published; ++c) {
            if (!model.hasCell(r, c))
                continue;
            page += head.groupStart[std::size_t(c)] ? QStringLiteral("<td class=\"verticalSeparator\">")
                                                    : QStringLiteral("<td class=\"\">");
            page += htmlEscape(model.text(r, c)) + QStringLiteral("</td>");
        }
        page += QStringLiteral("</tr>");
    }
    page += QStringLiteral("</table></div><br><footer><small>Erstellt mit Trivanta Pentrel am ") +
            input.today.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral("</small></footer></body></html>");
    return page.toUtf8();
}

} // namespace tvp
